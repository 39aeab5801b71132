// The selection screen's own rules, with no database: marking in the grid,
// the date and month checks, the focus moves, and the masked fields.
#include "DMod.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

class SelectionNoServer : public ::testing::Test {
protected:
    ScopedEnv host{"QUORVA_DB_HOST", FreeLoopbackHost()};
    Brazilian brazil;
    Messages messages;
    std::unique_ptr<TDM> dm = std::make_unique<TDM>();
    std::unique_ptr<TFRemotoPesq> form = std::make_unique<TFRemotoPesq>(nullptr);

    void SetUp() override { messages.Take(); }
    void TearDown() override {
        form.reset();
        dm.reset();
    }

    // The grid of the example chart, as "Buscar Contas" lists it for grade
    // "1.01" and "Todas".
    void FillExample() {
        const QStringList codes{"1", "1.01", "1.02", "2", "2.01"};
        form->SG->SetRowCount(codes.size() + 1);
        for (int i = 0; i < codes.size(); ++i) {
            form->SG->SetCells(0, i + 1, codes[i]);
            form->SG->SetCells(1, i + 1, QStringLiteral("Conta ") + codes[i]);
        }
    }
    QStringList Marked() const {
        QStringList out;
        for (int r = 1; r < form->SG->RowCount(); ++r) {
            if (form->SG->Cells(2, r) == QStringLiteral("Sim")) {
                out << form->SG->Cells(0, r);
            }
        }
        return out;
    }
    void DoubleClick(int row) {
        QWidget* viewport = form->SG->viewport();
        const QPoint at = form->SG->visualRect(form->SG->model()->index(row, 0)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    }
    void Show() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        messages.Take();
    }
    static QString Msg(const QString& text) { return QStringLiteral("msg: ") + text; }
};

TEST_F(SelectionNoServer, IsBuiltAsDefinedAndReportsItsCreationError) {
    form.reset();
    messages.Take();
    form = std::make_unique<TFRemotoPesq>(nullptr);
    EXPECT_EQ(messages.Take(),
              QStringList{QStringLiteral("error: Cannot perform operation -- DB is not open")});
    EXPECT_EQ(form->size(), QSize(624, 620));
    QStringList menu;
    for (QAction* a : form->MainMenu1->actions()) {
        menu << a->text();
    }
    EXPECT_EQ(menu, (QStringList{"Inadimplência", "&Compromissado", "Encerrar"}));
    EXPECT_EQ(form->PageControl1->tabText(0), QStringLiteral("Mês:"));
    EXPECT_EQ(form->PageControl1->tabText(1), QStringLiteral("Período"));
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(form->RadioGroup2->ItemIndex(), 1);
    EXPECT_FALSE(form->Btn_Importa_Registro->isVisibleTo(form.get()));
    EXPECT_EQ(form->MaskEdit1->Text(), QStringLiteral("  /    "));
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
    EXPECT_EQ(form->SG->RowCount(), 2);
    EXPECT_EQ(form->SG->Cells(0, 0), QStringLiteral("  Conta"));
    EXPECT_EQ(form->SG->Cells(1, 0), QStringLiteral("  Descrição da Conta"));
    EXPECT_EQ(form->SG->Cells(2, 0), QStringLiteral("Seleciona"));
    EXPECT_EQ(form->SG->columnWidth(0), 83);
    EXPECT_EQ(form->SG->columnWidth(1), 428);
    EXPECT_EQ(form->SG->columnWidth(2), 53);
    EXPECT_EQ(form->Btn_Imprime_Pedido->toolTip(), QStringLiteral("Imprime Pedido"));
    EXPECT_EQ(form->Label2->text(), QStringLiteral(" Duplo Click para Selecionar "));
}

TEST_F(SelectionNoServer, DoubleClickMarksARowAndItsSubAccounts) {
    FillExample();
    Show();
    // The focus leaves the page control with empty period fields, which
    // complains once; marking itself says nothing.
    form->SG->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInvalida)});
    DoubleClick(1);
    EXPECT_EQ(Marked(), (QStringList{"1", "1.01", "1.02"}));
    DoubleClick(2);
    EXPECT_EQ(Marked(), (QStringList{"1", "1.02"}));
    // The clicked row alone decides: 1 is marked, so all of it is unmarked.
    DoubleClick(1);
    EXPECT_TRUE(Marked().isEmpty());
    DoubleClick(5);
    EXPECT_EQ(Marked(), QStringList{"2.01"});
    // The header row is not an account.
    DoubleClick(0);
    EXPECT_EQ(Marked(), QStringList{"2.01"});
    EXPECT_EQ(form->SG->Cells(2, 0), QStringLiteral("Seleciona"));
    // A row without a code does nothing.
    form->SG->SetRowCount(7);
    DoubleClick(6);
    EXPECT_EQ(Marked(), QStringList{"2.01"});
    EXPECT_EQ(messages.Take(), QStringList());
}

TEST_F(SelectionNoServer, SelectAllAndUnmarkAll) {
    FillExample();
    form->SG->SetRowCount(8); // two rows without a code at the end
    QTest::mouseClick(form->Btn_Confirma_Pedido, Qt::LeftButton);
    EXPECT_EQ(Marked(), (QStringList{"1", "1.01", "1.02", "2", "2.01"}));
    EXPECT_TRUE(form->SG->Cells(2, 6).isEmpty());
    QTest::mouseClick(form->Btn_Cancela_Pedido, Qt::LeftButton);
    EXPECT_TRUE(Marked().isEmpty());
}

TEST_F(SelectionNoServer, PeriodFieldsRefuseWhatIsNotADate) {
    // Letters cannot be typed into the masked fields; what is typed stays
    // in its place with blanks around it.
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"  /  /    ", false}, {"ab/cd/efgh", false}, {"1 /03/2014", true},  {"10/3 /2014", true},
        {"10/03/    ", false}, {"10/03/20 4", false}, {"10/0 /2014", false}, {"32/03/2014", false},
        {"29/02/2014", false}, {"29/02/2016", true},  {"10/03/2014", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        form->MaskEdit2->SetText(QString::fromLatin1(c.text));
        const QString shown = form->MaskEdit2->Text();
        form->MaskEdit2Exit(form->MaskEdit2);
        if (c.valid) {
            EXPECT_TRUE(messages.Take().isEmpty());
            EXPECT_EQ(form->MaskEdit2->Text(), shown);
        } else {
            EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInicialInvalida)});
            EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
        }
        form->MaskEdit3->SetText(QString::fromLatin1(c.text));
        form->MaskEdit3Exit(form->MaskEdit3);
        if (c.valid) {
            EXPECT_TRUE(messages.Take().isEmpty());
        } else {
            EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataFinalInvalida)});
            EXPECT_EQ(form->MaskEdit3->Text(), QStringLiteral("  /  /    "));
        }
    }
    form->MaskEdit2->SetText(QString());
    QTest::keyClicks(form->MaskEdit2, QStringLiteral("ab"));
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
}

TEST_F(SelectionNoServer, InvalidMonthLeavesNoMonth) {
    dm->MesAtual = 41699; // 1 March 2014, from an earlier choice
    for (const char* text : {"13/2014", "00/2014", "1 /    ", "  /2014"}) {
        SCOPED_TRACE(text);
        dm->MesAtual = 41699;
        form->MaskEdit1->SetText(QString::fromLatin1(text));
        form->MaskEdit1Exit(form->MaskEdit1);
        EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::MesInvalido)});
        EXPECT_EQ(dm->MesAtual, 0);
    }
    // Unchanged since entering the field: nothing is checked.
    form->MaskEdit1->SetText(QStringLiteral("13/2014"));
    form->MaskEdit1Enter(form->MaskEdit1);
    form->MaskEdit1Exit(form->MaskEdit1);
    EXPECT_TRUE(messages.Take().isEmpty());
}

TEST_F(SelectionNoServer, LeavingThePageChecksBothDates) {
    Show();
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    form->MaskEdit2->SetText(QStringLiteral("20/03/2014"));
    form->MaskEdit3->SetText(QStringLiteral("10/03/2014"));
    form->MaskEdit3->setFocus(Qt::OtherFocusReason);
    messages.Take();
    // Focus leaves the page control for a control outside it.
    form->Btn_Confirma_Pedido->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::InicioAposFimAoSair)});
    EXPECT_TRUE(form->MaskEdit2->hasFocus());

    // A bad end date: the field's own check first, then the page's, which
    // empties the start field.
    form->MaskEdit3->SetText(QStringLiteral("10/13/2014"));
    form->MaskEdit3->setFocus(Qt::OtherFocusReason);
    messages.Take();
    form->SG->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(messages.Take(), (QStringList{Msg(RemotoPesq::DataFinalInvalida)}));
    EXPECT_TRUE(form->MaskEdit3->hasFocus());
    form->SG->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(messages.Take(), (QStringList{Msg(RemotoPesq::DataFinalInvalida)}));

    form->MaskEdit2->SetText(QStringLiteral("10/03/2014"));
    form->MaskEdit3->SetText(QStringLiteral("20/03/2014"));
    form->MaskEdit2->setFocus(Qt::OtherFocusReason);
    messages.Take();
    // Moving between the two fields stays inside the page control.
    form->MaskEdit3->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(messages.Take().isEmpty());
    form->Btn_Cancela_Pedido->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(messages.Take().isEmpty());

    // The page check on its own, as on the month page too.
    form->MaskEdit2->SetText(QStringLiteral("  /  /    "));
    form->PageControl1Exit(form->PageControl1);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInvalida)});
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
}

TEST_F(SelectionNoServer, GerarRelatorioChecksTheDatesFirst) {
    Show();
    form->Btn_Confirma_Pedido->setFocus();
    // Leaving the page control with empty period fields already complained.
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInvalida)});
    // On the month page the focus stays where it is.
    form->MaskEdit2->SetText(QStringLiteral("31/02/2014"));
    form->MaskEdit3->SetText(QStringLiteral("10/03/2014"));
    form->Btn_Imprime_PedidoClick(form->Btn_Imprime_Pedido);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataInicialInvalida)});
    EXPECT_EQ(form->MaskEdit2->Text(), QStringLiteral("  /  /    "));
    EXPECT_TRUE(form->Btn_Confirma_Pedido->hasFocus());

    form->PageControl1->setCurrentWidget(form->TabSheet2);
    messages.Take();
    form->MaskEdit2->SetText(QStringLiteral("10/03/2014"));
    form->MaskEdit3->SetText(QStringLiteral("10/03/20 4"));
    form->Btn_Imprime_PedidoClick(form->Btn_Imprime_Pedido);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::DataFinalInvalida)});
    EXPECT_EQ(form->MaskEdit3->Text(), QStringLiteral("  /  /    "));
    EXPECT_TRUE(form->MaskEdit3->hasFocus());

    form->MaskEdit2->SetText(QStringLiteral("21/03/2014"));
    form->MaskEdit3->SetText(QStringLiteral("20/03/2014"));
    form->Btn_Imprime_PedidoClick(form->Btn_Imprime_Pedido);
    EXPECT_EQ(messages.Take(), QStringList{Msg(RemotoPesq::InicioAposFim)});
    EXPECT_TRUE(form->MaskEdit2->hasFocus());
}

TEST_F(SelectionNoServer, MenuCommandsStartTheListingsAndEncerrarCloses) {
    {
        ReportCalls calls;
        for (QAction* a : form->MainMenu1->actions()) {
            if (a->text() != QStringLiteral("Encerrar")) {
                a->trigger();
            }
        }
        EXPECT_EQ(calls.listings, (QStringList{"inadimplencia", "compromissados"}));
        EXPECT_EQ(calls.owners, (std::vector<QObject*>{form.get(), form.get()}));
    }
    EXPECT_TRUE(messages.Take().isEmpty());
    Show();
    form->MainMenu1->actions().last()->trigger();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
