// "Gerar Relatório" on the selection screen, which runs the balance report
// form itself, against the test server (condominium 71 of fixtures-balancete-tool.sql):
// the screen's choice reaches the balance report's inputs, the report is
// prepared into pages, and its emission is logged.
#include "../support/CommittedSql.h"
#include "DMod.h"
#include "DateTime.h"
#include "IBSQL.h"
#include "RLEngineServices.h"
#include "RLMetaFile.h"
#include "RemotoLanc.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

double Day(int y, int m, int d) {
    return DateTime::EncodeDate(y, m, d);
}

class BalanceteEntryDb : public ::testing::Test {
protected:
    void SetUp() override {
        DateTime::SetClock([] { return Day(2019, 9, 20) + 0.5; });
        RLEngineServices::SetPreviewOpener(
            [this](TRLGraphicStorage* pages, const TRLPreviewOptions&) {
                pages->Link(this);
                prepared.push_back(pages);
            });
        RLEngineServices::SetMessageSink([this](const QString& t) { engineMessages << t; });
        dm = std::make_unique<TDM>();
        ASSERT_TRUE(dm->BDados.Connected()) << "the test server is not running";
        dm->CondLogado = 71;
        dm->CodBalancete = 1;
    }
    void TearDown() override {
        form.reset();
        if (dm) {
            ClearLog();
        }
        for (TRLGraphicStorage* pages : prepared) {
            pages->Unlink(this);
        }
        dm.reset();
        RLEngineServices::SetPreviewOpener(nullptr);
        RLEngineServices::SetMessageSink(nullptr);
        DateTime::SetClock({});
    }

    void Open() {
        form = std::make_unique<TFRemotoPesq>(nullptr);
        form->show();
    }
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
    void TypeMonth(const QString& text) {
        form->MaskEdit1Enter(form->MaskEdit1);
        form->MaskEdit1->SetText(text);
        form->MaskEdit1Exit(form->MaskEdit1);
    }

    // Committed, in a transaction of its own, as another client would see it.
    QStringList Committed(const QString& text, double month) {
        return CommittedRows(dm->BDados, text, {month});
    }
    // The tests run side by side, each logging a month of its own: a test
    // clears and reads only its month's row.
    void UseLogMonth(double month) {
        logMonth = month;
        ClearLog();
    }
    void ClearLog() {
        if (logMonth != 0) {
            Committed(QStringLiteral("delete from emissoes where cod = 71 and mes = :m"), logMonth);
        }
    }
    QStringList LogRows() {
        return Committed(QStringLiteral("select extract(month from mes), diasbal01 from emissoes "
                                        "where cod = 71 and mes = :m"),
                         logMonth);
    }
    // Every text of the prepared pages.
    QStringList Texts() const {
        QStringList texts;
        for (TRLGraphicStorage* pages : prepared) {
            for (int i = 0; i < pages->PageCount(); ++i) {
                const auto page = pages->GetPage(i);
                for (int k = 0; k < page->ObjectCount(); ++k) {
                    if (const auto* t = dynamic_cast<const TRLTextObject*>(page->Objects(k))) {
                        texts << t->Text;
                    }
                }
            }
        }
        return texts;
    }
    static QString Marked(int day) {
        QString marks(31, QLatin1Char(' '));
        marks[day - 1] = QLatin1Char('C');
        return marks;
    }

    double logMonth = 0;
    Messages messages;
    Brazilian brazil;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TFRemotoPesq> form;
    std::vector<TRLGraphicStorage*> prepared;
    QStringList engineMessages;
};

TEST_F(BalanceteEntryDb, MonthWithSomeAccountsReachesTheReport) {
    UseLogMonth(Day(2019, 7, 1));
    Open();
    TypeMonth(QStringLiteral("07/2019"));
    Choose(1, 3); // Despesas, 1.01.01.01
    Mark(QStringLiteral("2.02"));
    form->Btn_Imprime_Pedido->click();

    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_TRUE(engineMessages.isEmpty()) << engineMessages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(prepared.size(), 1u);
    // Only the expense of 2.02, in July.
    const QStringList texts = Texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Mês: 07/2019")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Manutenção do elevador")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Salário de julho")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Rendimento de julho")));
    // The report's inputs are the screen's choice.
    EXPECT_EQ(TipoPeriodo, QStringLiteral("mês"));
    EXPECT_EQ(DataIni, Day(2019, 9, 20));
    EXPECT_EQ(DataFim, Day(2019, 9, 20));
    EXPECT_EQ(TipoConta, 1);
    EXPECT_EQ(GrauConta, 3);
    EXPECT_TRUE(AlgumasContas);
    EXPECT_EQ(ContasSel, QStringLiteral("'2.02','2.02.01','2.02.01.01'"));
    // The run ended with its emission logged for the month.
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("7|") + Marked(1)});
}

TEST_F(BalanceteEntryDb, PeriodWithEveryAccountReachesTheReport) {
    UseLogMonth(Day(2019, 8, 1));
    Open();
    // The screen opens on the latest month with entries, August 2019.
    EXPECT_EQ(dm->MesAtual, Day(2019, 8, 1));
    Choose(2, 2); // Todas, 1.01.01
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    form->MaskEdit2->SetText(QStringLiteral("01/07/2019"));
    form->MaskEdit3->SetText(QStringLiteral("10/07/2019"));
    form->Btn_Confirma_Pedido->click();
    form->Btn_Imprime_Pedido->click();

    EXPECT_EQ(messages.Take(), QStringList());
    EXPECT_TRUE(engineMessages.isEmpty()) << engineMessages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(prepared.size(), 1u);
    // Both kinds of entry, from the 1st to the 10th of July.
    const QStringList texts = Texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Período: 01/07/2019 até 10/07/2019")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Rendimento de julho")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Salário de julho")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Manutenção do elevador")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Total de 2 - Despesas")));
    EXPECT_EQ(TipoPeriodo, QStringLiteral("período"));
    EXPECT_EQ(DataIni, Day(2019, 7, 1));
    EXPECT_EQ(DataFim, Day(2019, 7, 10));
    EXPECT_EQ(TipoConta, 2);
    EXPECT_EQ(GrauConta, 2);
    EXPECT_FALSE(AlgumasContas);
    EXPECT_TRUE(ContasSel.isEmpty());
    // A period is logged under the month on the screen.
    EXPECT_EQ(LogRows(), QStringList{QStringLiteral("8|") + Marked(1)});
}

// Nothing reaches the report when the screen refuses the choice.
TEST_F(BalanceteEntryDb, ARefusedChoiceRunsNoReport) {
    UseLogMonth(Day(2010, 1, 1));
    Open();
    Choose(1, 3);
    form->Btn_Imprime_Pedido->click(); // nothing marked
    EXPECT_EQ(messages.Take(), QStringList{QStringLiteral("msg: ") + RemotoPesq::NenhumaConta});
    TypeMonth(QStringLiteral("01/2010"));
    messages.Take();
    form->Btn_Confirma_Pedido->click();
    form->Btn_Imprime_Pedido->click(); // a month without entries
    EXPECT_EQ(messages.Take(), QStringList{QStringLiteral("msg: ") + RemotoPesq::SemLancamentos});
    EXPECT_TRUE(prepared.empty());
    EXPECT_TRUE(LogRows().isEmpty());
}

} // namespace
