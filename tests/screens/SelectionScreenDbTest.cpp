// The selection screen against the private test server: what its creation
// and showing read, the grid by type and grade, the month and period counts,
// and what "Gerar Relatório" hands to the balance report.
#include "DMod.h"
#include "DateTime.h"
#include "FormatDate.h"
#include "IniciaRemoto.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

double Day(int y, int m, int d) {
    return DateTime::EncodeDate(y, m, d);
}

class SelectionDb : public ::testing::Test {
protected:
    Messages messages;
    Brazilian brazil;
    ReportCalls calls;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TFRemotoPesq> form;

    void SetUp() override {
        DateTime::SetClock([] { return Day(2014, 4, 15) + 0.5; });
        dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->BDados.Connected()) << "the test server is not running";
    }
    void TearDown() override {
        form.reset();
        dm.reset();
        DateTime::SetClock({});
    }
    void Open(int cond) {
        dm->CondLogado = cond;
        form = std::make_unique<TFRemotoPesq>(nullptr);
        form->show();
    }
    static QStringList Codes(const TFRemotoPesq& f) {
        QStringList out;
        for (int r = 1; r < f.SG->RowCount(); ++r) {
            out << f.SG->Cells(0, r);
        }
        return out;
    }
    QStringList Codes() const { return Codes(*form); }
    void Choose(int tipo, int grau) {
        form->RadioGroup1->SetItemIndex(tipo);
        form->RadioGroup2->SetItemIndex(grau);
        if (form->Btn_Importa_Registro->isVisible()) {
            form->Btn_Importa_Registro->click();
        }
    }
    void Mark(const QString& code) {
        for (int r = 1; r < form->SG->RowCount(); ++r) {
            if (form->SG->Cells(0, r) == code) {
                form->SG->setCurrentCell(r, 0);
                form->SGDblClick(form->SG);
                return;
            }
        }
        ADD_FAILURE() << "no row " << code.toStdString();
    }
    // Types a month as the user would: entering, typing, leaving.
    void TypeMonth(const QString& text) {
        form->MaskEdit1Enter(form->MaskEdit1);
        form->MaskEdit1->SetText(text);
        form->MaskEdit1Exit(form->MaskEdit1);
    }
    void Period(const QString& start, const QString& end) {
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        form->MaskEdit2->SetText(start);
        form->MaskEdit3->SetText(end);
    }
    static QString Msg(const QString& text) { return QStringLiteral("msg: ") + text; }
};

TEST_F(SelectionDb, CreationTakesTheLatestMonthAndTodayAndShowingNamesTheCondominium) {
    Open(1);
    EXPECT_EQ(messages.Take(), QStringList());
    // The latest month with entries of this condominium is April 2014.
    EXPECT_EQ(form->MaskEdit1->Text(), QStringLiteral("04/2014"));
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("15/04/2014"));
    EXPECT_EQ(form->MaskEdit3->Text(), QStringLiteral("15/04/2014"));
    EXPECT_EQ(dm->MesAtual, Day(2014, 4, 1));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Condomínio Edifício São João"));
    EXPECT_EQ(dm->EstruturaCond, 1);
    // "Despesas" and "1.01" at start.
    EXPECT_EQ(Codes(), (QStringList{"2", "2.01", "2.02"}));
    EXPECT_EQ(form->SG->Cells(1, 2), QStringLiteral("Despesas com Pessoal"));
    EXPECT_FALSE(form->Transa.Active());
}

TEST_F(SelectionDb, ACondominiumWithoutEntriesOpensWithEmptyDates) {
    dm->MesAtual = Day(2014, 3, 1);
    Open(51);
    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_EQ(form->MaskEdit1->Text(), QStringLiteral("  /    "));
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
    EXPECT_EQ(form->MaskEdit3->Text(), QStringLiteral("  /  /    "));
    EXPECT_EQ(dm->MesAtual, 0);
    form->Btn_Confirma_Pedido->click();
    form->Btn_Imprime_Pedido->click();
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInicialInvalida)});
    EXPECT_TRUE(calls.balancete.empty());
    // With dates typed, the month (none) has no entries.
    form->MaskEdit2->SetText(QStringLiteral("01/03/2014"));
    form->MaskEdit3->SetText(QStringLiteral("31/03/2014"));
    form->Btn_Imprime_Pedido->click();
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::SemLancamentos)});
    EXPECT_TRUE(calls.balancete.empty());
}

TEST_F(SelectionDb, GridListsTheChosenTypeUpToTheChosenGrade) {
    Open(50);
    messages.Take();
    EXPECT_EQ(dm->EstruturaCond, 5);
    EXPECT_EQ(Codes(), (QStringList{"2", "2.01"}));
    struct Case {
        int tipo;
        int grau;
        QStringList codes;
    } cases[] = {
        {2, 1, {"1", "1.01", "1.02", "2", "2.01"}},
        {2, 0, {"1", "2"}},
        {2, 2, {"1", "1.01", "1.01.01", "1.02", "2", "2.01"}},
        {2, 3, {"1", "1.01", "1.01.01", "1.02", "2", "2.01"}},
        {0, 1, {"1", "1.01", "1.02"}},
        {1, 0, {"2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tipo) + " " + std::to_string(c.grau));
        Choose(c.tipo, c.grau);
        EXPECT_EQ(Codes(), c.codes);
        EXPECT_FALSE(form->Btn_Importa_Registro->isVisible());
    }
    // A change of type empties the grid until "Buscar Contas".
    form->RadioGroup1->SetItemIndex(2);
    EXPECT_TRUE(form->Btn_Importa_Registro->isVisible());
    EXPECT_EQ(form->SG->RowCount(), 2);
    EXPECT_EQ(Codes(), QStringList{QString()});
    EXPECT_EQ(form->SG->Cells(0, 0), QStringLiteral("  Conta"));
    form->RadioGroup2->SetItemIndex(1);
    form->Btn_Importa_Registro->click();
    EXPECT_EQ(Codes(), (QStringList{"1", "1.01", "1.02", "2", "2.01"}));
    EXPECT_EQ(form->SG->Cells(1, 2), QStringLiteral("Receitas Ordinárias"));
    EXPECT_FALSE(form->Btn_Importa_Registro->isVisible());
    // A chart with nothing of the type keeps one empty row.
    dm->EstruturaCond = 99;
    form->CarregaContas();
    EXPECT_EQ(form->SG->RowCount(), 2);
    EXPECT_EQ(Codes(), QStringList{QString()});
    EXPECT_EQ(messages.Take(), QStringList());
}

TEST_F(SelectionDb, MonthFieldChecksTheMonthAndItsEntries) {
    Open(1);
    messages.Take();
    TypeMonth(QStringLiteral("13/2014"));
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::MesInvalido)});
    EXPECT_EQ(dm->MesAtual, 0);
    TypeMonth(QStringLiteral("05/2014"));
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::SemLancamentos)});
    EXPECT_EQ(dm->MesAtual, Day(2014, 5, 1));
    TypeMonth(QStringLiteral("03/2014"));
    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_EQ(dm->MesAtual, Day(2014, 3, 1));
    // Counted over every condominium: June 2015 has only condominium 50's.
    TypeMonth(QStringLiteral("06/2015"));
    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_EQ(dm->MesAtual, Day(2015, 6, 1));
    EXPECT_FALSE(form->Transa.Active());
    // An emptied month empties the grid; "Buscar Contas" stays hidden.
    ASSERT_GT(form->SG->RowCount(), 2);
    TypeMonth(QStringLiteral("  /    "));
    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_EQ(form->SG->RowCount(), 2);
    EXPECT_EQ(Codes(), QStringList{QString()});
    EXPECT_FALSE(form->Btn_Importa_Registro->isVisible());
    EXPECT_EQ(dm->MesAtual, Day(2015, 6, 1));
}

TEST_F(SelectionDb, HandsTheChoiceToTheBalanceReport) {
    Open(50);
    Choose(2, 1);
    TypeMonth(QStringLiteral("06/2015"));
    messages.Take();
    Mark(QStringLiteral("1.01"));
    Mark(QStringLiteral("2.01"));
    form->Btn_Imprime_Pedido->click();
    EXPECT_EQ(messages.Take(), QStringList());
    ASSERT_EQ(calls.balancete.size(), 1u);
    const TBalanceteInputs& two = calls.balancete[0];
    EXPECT_EQ(two.TipoPeriodo, QStringLiteral("mês"));
    EXPECT_EQ(two.DataIni, Day(2014, 4, 15));
    EXPECT_EQ(two.DataFim, Day(2014, 4, 15));
    EXPECT_EQ(two.TipoConta, 2);
    EXPECT_EQ(two.GrauConta, 1);
    EXPECT_TRUE(two.AlgumasContas);
    EXPECT_EQ(two.ContasSel, QStringLiteral("'1.01','2.01'"));
    EXPECT_EQ(dm->MesAtual, Day(2015, 6, 1));
    EXPECT_EQ(calls.owners.back(), form.get());

    // Every listed account chosen: no list.
    form->Btn_Confirma_Pedido->click();
    form->Btn_Imprime_Pedido->click();
    ASSERT_EQ(calls.balancete.size(), 2u);
    EXPECT_FALSE(calls.balancete[1].AlgumasContas);
    EXPECT_TRUE(calls.balancete[1].ContasSel.isEmpty());

    // A code with a quote in it, as the chart may hold one, stays a single
    // code of the list.
    form->Btn_Cancela_Pedido->click();
    form->SG->SetCells(0, 3, QStringLiteral("1.0'2"));
    Mark(QStringLiteral("1.0'2"));
    form->Btn_Imprime_Pedido->click();
    ASSERT_EQ(calls.balancete.size(), 3u);
    EXPECT_EQ(calls.balancete[2].ContasSel, QStringLiteral("'1.0''2'"));

    // Nothing chosen: no report.
    form->Btn_Cancela_Pedido->click();
    form->Btn_Imprime_Pedido->click();
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::NenhumaConta)});
    EXPECT_EQ(calls.balancete.size(), 3u);

    // The other two reports from the menu.
    form->Inadimplncia1Click(form.get());
    form->Compromissado1Click(form.get());
    EXPECT_EQ(calls.listings, (QStringList{"inadimplencia", "compromissados"}));
    EXPECT_EQ(calls.owners.back(), form.get());
}

TEST_F(SelectionDb, PeriodCountsWholeDaysOfEveryCondominium) {
    Open(1);
    Choose(1, 1);
    form->Btn_Confirma_Pedido->click();
    messages.Take();
    struct Case {
        const char* start;
        const char* end;
        bool entries;
    } cases[] = {
        {"10/03/2014", "20/03/2014", true},
        {"11/03/2014", "11/03/2014", false},
        {"12/03/2014", "12/03/2014", true},
        // Only condominium 2 has an entry that day.
        {"09/03/2014", "09/03/2014", true},
        {"13/03/2014", "31/03/2014", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " - " + c.end);
        const std::size_t before = calls.balancete.size();
        Period(QString::fromLatin1(c.start), QString::fromLatin1(c.end));
        form->Btn_Imprime_Pedido->click();
        if (c.entries) {
            EXPECT_EQ(messages.Take(), QStringList());
            ASSERT_EQ(calls.balancete.size(), before + 1);
            const TBalanceteInputs& in = calls.balancete.back();
            EXPECT_EQ(in.TipoPeriodo, QStringLiteral("período"));
            double start = 0;
            double end = 0;
            ASSERT_TRUE(TryParseDate(QString::fromLatin1(c.start), start));
            ASSERT_TRUE(TryParseDate(QString::fromLatin1(c.end), end));
            EXPECT_EQ(in.DataIni, start);
            EXPECT_EQ(in.DataFim, end);
            EXPECT_FALSE(in.AlgumasContas);
        } else {
            EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::SemLancamentos)});
            EXPECT_EQ(calls.balancete.size(), before);
        }
    }
}

TEST_F(SelectionDb, FromLoginToTheReportThroughTheModalWindow) {
    ScratchDir dir;
    TFIniciaRemoto start;
    start.Timer1Timer(&start.Timer1);
    messages.Take();
    ModalDriver driver([&](QDialog& dialog) {
        auto& pesq = static_cast<TFRemotoPesq&>(dialog);
        EXPECT_EQ(pesq.parentWidget(), &start);
        EXPECT_EQ(pesq.windowTitle(), QStringLiteral("Condomínio Jardim das Acácias"));
        EXPECT_EQ(Codes(pesq), (QStringList{"2", "2.01"}));
        pesq.Btn_Confirma_Pedido->click();
        pesq.MaskEdit1Enter(pesq.MaskEdit1);
        pesq.MaskEdit1->SetText(QStringLiteral("06/2015"));
        pesq.MaskEdit1Exit(pesq.MaskEdit1);
        pesq.Btn_Imprime_Pedido->click();
        pesq.Encerrar1Click(&pesq);
    });
    start.Edit1->setText(QStringLiteral("50"));
    start.Edit2->setText(QStringLiteral("ação três"));
    start.BitBtn1->click();
    EXPECT_EQ(driver.shown, 1);
    EXPECT_EQ(messages.Take(), QStringList());
    ASSERT_EQ(calls.balancete.size(), 1u);
    EXPECT_EQ(calls.balancete[0].TipoConta, 1);
    EXPECT_EQ(dm->CondLogado, 50);
    EXPECT_EQ(dm->CodBalancete, 7);
    EXPECT_EQ(dm->EstruturaCond, 5);
    EXPECT_EQ(dm->MesAtual, Day(2015, 6, 1));
}

} // namespace
