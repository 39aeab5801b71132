// The preview window: toolbar, zoom box, page box, keys, auto-repeat,
// split screen, find and print dialogs, remembered window state, the
// storage's life, a saved file opened again, and a screenshot.
#include "PreviewTestSupport.h"
#include "RLEngineServices.h"
#include "RLFindDialog.h"
#include "RLPreview.h"
#include "RLPreviewForm.h"
#include "RLPrintDialog.h"
#include "RLPrinters.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace previewtest;

namespace {

class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        storage = NumberedStorage(10, &owner);
        TRLPreviewOptions options;
        form = OpenPreviewWindow(storage, options);
        storage->Unlink(&owner); // the report form is released at once
    }
    void TearDown() override {
        if (form) {
            form->close();
        }
        RLEngineServices::SetMessageSink({});
    }
    TRLPreview* View() const { return form->Preview(); }
    void TypeZoom(const QString& text) {
        form->ComboBoxZoom->setEditText(text);
        QTest::keyClick(form->ComboBoxZoom->lineEdit(), Qt::Key_Return);
    }

    int owner = 0;
    TRLGraphicStorage* storage = nullptr;
    QPointer<TRLPreviewForm> form;
};

TEST_F(FormFixture, OpensMaximizedOnTheFirstPageWithTheToolbar) {
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pré-visualização"));
    EXPECT_EQ(View()->PageIndex(), 0);
    EXPECT_EQ(View()->ZoomPercent(), 100);
    EXPECT_EQ(form->PanelPageCount->text(), QStringLiteral("10"));
    EXPECT_EQ(form->EditPageNo->text(), QStringLiteral("1"));
    EXPECT_EQ(form->ComboBoxZoom->currentText(), QStringLiteral("100%"));
    EXPECT_EQ(form->ComboBoxZoom->count(), 11);
    EXPECT_EQ(form->ComboBoxZoom->itemText(10), QStringLiteral("Várias páginas"));

    const struct {
        QToolButton* button;
        int left;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {form->SpeedButtonPrint, 1, "&Imprimir", "Imprimir"},
        {form->SpeedButtonSave, 51, "&Salvar", "Salvar em disco"},
        {form->SpeedButtonSend, 101, "&Enviar", "Enviar para"},
        {form->SpeedButtonSetup, 162, "", "Configurar impressora"},
        {form->SpeedButtonFirst, 195, "", "Primeira página"},
        {form->SpeedButtonPrior, 217, "", "Página anterior"},
        {form->SpeedButtonNext, 378, "", "Próxima página"},
        {form->SpeedButtonLast, 400, "", "Última página"},
        {form->SpeedButtonViews, 632, "", "Dividir a tela"},
        {form->SpeedButtonEdit, 663, "", "Editar"},
        {form->SpeedButtonClose, 695, "&Fechar", "Fechar"},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->geometry().left(), b.left) << b.hint;
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
    }
    EXPECT_FALSE(form->SpeedButtonSend->isEnabled());
    EXPECT_EQ(MarkAccelerators({"Abc", "abd", "a1", "aaa"}),
              QStringList({"&Abc", "a&bd", "a&1", "aaa"}));
}

TEST_F(FormFixture, TheZoomBoxTakesPercentagesAndTheFitItems) {
    const struct {
        const char* typed;
        int zoom;
    } cases[] = {
        {"75", 75}, {"75%", 75}, {"7,5", 75}, {"120", 120}, {"abc", 120}, {"9%", 120}, {"10", 10},
    };
    for (const auto& c : cases) {
        TypeZoom(QString::fromUtf8(c.typed));
        EXPECT_EQ(View()->ZoomPercent(), c.zoom) << c.typed;
        EXPECT_EQ(form->ComboBoxZoom->currentText(), QStringLiteral("%1%").arg(c.zoom));
    }
    // Typed key by key, as a user types: the list's "500%" must not
    // complete "50".
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    form->ComboBoxZoom->setFocus();
    form->ComboBoxZoom->lineEdit()->clear();
    QTest::keyClicks(form->ComboBoxZoom->lineEdit(), QStringLiteral("50"));
    QTest::keyClick(form->ComboBoxZoom->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(View()->ZoomPercent(), 50);
    form->ComboBoxZoom->setCurrentIndex(10);
    emit form->ComboBoxZoom->textActivated(form->ComboBoxZoom->itemText(10));
    EXPECT_TRUE(View()->MultiplePages());
    form->SpeedButtonZoomUp->click();
    EXPECT_EQ(form->ComboBoxZoom->currentText(), QStringLiteral("%1%").arg(View()->ZoomPercent()));
}

TEST_F(FormFixture, KeysPageScrollAndClose) {
    QWidget* target = form->EditPageNo; // the window sees keys before its controls
    QTest::keyClick(target, Qt::Key_PageDown);
    EXPECT_EQ(View()->PageIndex(), 1);
    QTest::keyClick(target, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(View()->PageIndex(), 9);
    QTest::keyClick(target, Qt::Key_PageUp);
    EXPECT_EQ(View()->PageIndex(), 8);
    QTest::keyClick(target, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(View()->PageIndex(), 0);
    EXPECT_EQ(form->EditPageNo->text(), QStringLiteral("1"));

    View()->ApplyZoom(300);
    QTest::keyClick(target, Qt::Key_Down);
    EXPECT_EQ(View()->verticalScrollBar()->value(), 10);
    QTest::keyClick(target, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(View()->horizontalScrollBar()->value(), View()->viewport()->width());
    QTest::keyClick(target, Qt::Key_End);
    EXPECT_EQ(View()->horizontalScrollBar()->value(), View()->horizontalScrollBar()->maximum());
    QTest::keyClick(target, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(View()->verticalScrollBar()->value(), View()->verticalScrollBar()->maximum());

    // Typing a page number goes there.
    form->EditPageNo->clear();
    QTest::keyClicks(form->EditPageNo, QStringLiteral("7"));
    EXPECT_EQ(View()->PageIndex(), 6);

    QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(form->FindDialog(), nullptr);
    EXPECT_EQ(form->FindDialog()->windowTitle(), QStringLiteral("Procurar"));

    QTest::keyClick(target, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isNull()); // closed and freed
}

// Alt+Down opens the zoom list, and keys inside the open list belong to
// it: End picks its last entry without moving the page, Esc closes the
// list only. The boxes show what the page shows.
TEST_F(FormFixture, AnOpenZoomListKeepsItsKeysAndEscClosesItAlone) {
    form->show();
    QApplication::setActiveWindow(form);
    QComboBox* zoom = form->ComboBoxZoom;
    const int page = View()->PageIndex();
    const int scroll = View()->horizontalScrollBar()->value();
    zoom->setFocus();
    QTest::keyClick(zoom, Qt::Key_Down, Qt::AltModifier); // opens the list
    QWidget* list = zoom->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(zoom->view()->currentIndex().row(), zoom->count() - 1);
    EXPECT_EQ(View()->PageIndex(), page);
    EXPECT_EQ(View()->horizontalScrollBar()->value(), scroll);
    QTest::keyClick(list, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_TRUE(form);
    EXPECT_TRUE(form && form->isVisible());
    // The list opens on the zoom shown, not on its first entry.
    TypeZoom(QStringLiteral("50"));
    EXPECT_EQ(zoom->currentIndex(), zoom->findText(QStringLiteral("50%")));
    // A page number past the last is not left in the box: it names the
    // page shown ("4" of "42", typed on ten pages).
    form->EditPageNo->clear();
    QTest::keyClicks(form->EditPageNo, QStringLiteral("42"));
    EXPECT_EQ(View()->PageIndex(), 3);
    EXPECT_EQ(form->EditPageNo->text(), QStringLiteral("4"));
    // With the list closed, Esc closes the preview as before.
    QTest::keyClick(form->EditPageNo, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isNull());
}

TEST_F(FormFixture, HoldingNextPagesOnceThenRepeatsFromTheSeventhTick) {
    QTest::mousePress(form->SpeedButtonNext, Qt::LeftButton);
    EXPECT_EQ(View()->PageIndex(), 1); // at once
    for (int tick = 1; tick <= 6; ++tick) {
        form->TimerRepeatTimer();
        EXPECT_EQ(View()->PageIndex(), 1) << tick;
    }
    form->TimerRepeatTimer();
    EXPECT_EQ(View()->PageIndex(), 2);
    form->TimerRepeatTimer();
    EXPECT_EQ(View()->PageIndex(), 3);
    QTest::mouseRelease(form->SpeedButtonNext, Qt::LeftButton);
    form->TimerRepeatTimer();
    EXPECT_EQ(View()->PageIndex(), 3);

    // Both held: nothing.
    QTest::mousePress(form->SpeedButtonPrior, Qt::LeftButton);
    EXPECT_EQ(View()->PageIndex(), 2);
    form->SpeedButtonNext->setDown(true);
    for (int tick = 0; tick < 10; ++tick) {
        form->TimerRepeatTimer();
    }
    EXPECT_EQ(View()->PageIndex(), 2);
    form->SpeedButtonNext->setDown(false);
    QTest::mouseRelease(form->SpeedButtonPrior, Qt::LeftButton);
}

TEST_F(FormFixture, SplitScreenShowsTheSameStorageInTwoViews) {
    form->SpeedButtonViewsClick();
    TRLPreview* second = form->SecondView();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Pages(), storage);
    EXPECT_EQ(form->Preview(), View());
    TRLPreview* first = form->Preview();
    EXPECT_TRUE(first->SelectedView());
    QTest::mouseClick(second->viewport(), Qt::LeftButton);
    EXPECT_EQ(form->Preview(), second);
    EXPECT_TRUE(second->SelectedView());
    EXPECT_FALSE(first->SelectedView());
    form->SpeedButtonNext->click();
    EXPECT_EQ(second->PageIndex(), 1);
    EXPECT_EQ(first->PageIndex(), 0);
    form->SpeedButtonViewsClick();
    EXPECT_EQ(form->SecondView(), nullptr);
    EXPECT_EQ(form->Preview(), first);
    EXPECT_FALSE(first->SelectedView());
}

TEST_F(FormFixture, FindShowsHitsAndSaysWhenThereIsNone) {
    QStringList messages;
    RLEngineServices::SetMessageSink([&messages](const QString& text) { messages << text; });
    form->ShowFindDialog();
    TfrmRLFindDialog* find = form->FindDialog();
    // Its own size, widened only as much as its match-case caption needs.
    EXPECT_EQ(find->height(), 94);
    EXPECT_GE(find->width(), 367);
    EXPECT_LE(find->width(), 367 + 40);
    EXPECT_TRUE(find->RadioButtonDown->isChecked());
    EXPECT_EQ(find->RadioGroupDirection->title(), QStringLiteral(" Direção "));
    find->EditTextToFind->setText(QStringLiteral("página 3 linha 1"));
    EXPECT_TRUE(find->BitBtnFindNextClick());
    EXPECT_EQ(View()->PageIndex(), 2);
    EXPECT_EQ(View()->FoundObject(), 2 + 2 * 1);
    find->CheckBoxMatchCase->setChecked(true);
    EXPECT_FALSE(find->BitBtnFindNextClick());
    EXPECT_EQ(messages, QStringList{QStringLiteral("Não encontrado")});
}

TEST_F(FormFixture, PrintDialogChoicesReachThePrinter) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    TRLPrinterWrapper::Instance().SetOutputFileName(pdf);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TRLPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Imprimir"));
        EXPECT_FALSE(dialog->ComboBoxFilters->isEnabled()); // only "Padrão"
        EXPECT_EQ(dialog->ComboBoxFilters->itemText(0), QStringLiteral("Padrão"));
        EXPECT_FALSE(dialog->ComboBoxOptions->isVisible());
        EXPECT_FALSE(dialog->CheckBoxPrintToFile->isEnabled());
        EXPECT_EQ(dialog->EditToPage->text(), QStringLiteral("10"));
        QTest::keyClicks(dialog->EditFromPage, QStringLiteral("2"));
        EXPECT_TRUE(dialog->RadioButtonPagesInterval->isChecked());
        dialog->EditFromPage->setText(QStringLiteral("2"));
        dialog->EditToPage->setText(QStringLiteral("4"));
        dialog->ButtonOk->click();
    });
    form->SpeedButtonPrintClick();
    TRLPrinterWrapper::Instance().SetOutputFileName(QString());
    EXPECT_EQ(PrintParams().FromPage, 2);
    EXPECT_EQ(PrintParams().ToPage, 4);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QStringLiteral("Pages:           3")));
}

TEST(PreviewWindow, RemembersItsStateAndFreesTheStorageWhenClosed) {
    PreviewDefaults().WindowState = wsMaximized;
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(2, &report);
    const QString spool = storage->SpoolFileName();
    QPointer<TRLPreviewForm> form = OpenPreviewWindow(storage, {});
    storage->Unlink(&report);
    EXPECT_TRUE(QFile::exists(spool)); // the window keeps it alive
    form->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isNull());
    EXPECT_FALSE(QFile::exists(spool));
    EXPECT_EQ(PreviewDefaults().WindowState, wsMaximized);

    storage = NumberedStorage(2, &report);
    form = OpenPreviewWindow(storage, {});
    storage->Unlink(&report);
    EXPECT_TRUE(form->isMaximized()); // the next one opens the same way
    form->showNormal();
    form->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(PreviewDefaults().WindowState, wsNormal);
    storage = NumberedStorage(2, &report);
    form = OpenPreviewWindow(storage, {});
    storage->Unlink(&report);
    EXPECT_FALSE(form->isMaximized());
    form->close();
    PreviewDefaults().WindowState = wsMaximized;
}

TEST(PreviewWindow, OpensASavedStorageFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("relatorio.rpf"));
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(3, &report);
    storage->SaveToFile(file);
    storage->Unlink(&report);
    QPointer<TRLPreviewForm> form = OpenStorageFilePreview(file);
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(form->Preview()->PageCount(), 3);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("relatorio.rpf"));
    EXPECT_TRUE(form->Preview()->FindText(QStringLiteral("Página 3 linha 2"), false, true, true));
    form->close();

    QFile broken(dir.filePath(QStringLiteral("quebrado.rpf")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("nada disso");
    broken.close();
    EXPECT_ANY_THROW(OpenStorageFilePreview(broken.fileName()));
}

TEST(PreviewWindow, Screenshot) {
    int report = 0;
    TRLGraphicStorage* storage = NumberedStorage(5, &report);
    storage->SetTitle(QStringLiteral("Balancete"));
    PreviewDefaults().WindowState = wsNormal;
    QPointer<TRLPreviewForm> form = OpenPreviewWindow(storage, {});
    storage->Unlink(&report);
    PreviewDefaults().WindowState = wsMaximized;
    form->resize(1024, 700);
    form->Preview()->ApplyZoom(75);
    QCoreApplication::processEvents();
    const QImage shot = form->grab().toImage();
    const QString path = QDir(QStringLiteral(QUORVA_ARTIFACT_DIR)).filePath("preview-window.png");
    EXPECT_TRUE(shot.save(path));
    // The page shows in the middle: white paper under the toolbar.
    const QRect box = form->Preview()->Box(0)->geometry();
    EXPECT_GT(box.width(), 500);
    form->close();
}

} // namespace
