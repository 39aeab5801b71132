#include "RLPrintDialog.h"

#include "EngineMessages.h"
#include "RLDialogParts.h"
#include "RLFilters.h"
#include "RLPrinters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QString PageText(int page) {
    return page == 0 ? QString() : QString::number(page);
}

int Number(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

void TRLPrintParams::Clear() {
    MinPage = 1;
    maxPage_ = 9999;
    FromPage = 1;
    ToPage = 9999;
    PrintRange = TRLPrintRange::rprAllPages;
    FileName.clear();
    HelpContext = 0;
    Copies = TRLPrinterWrapper::Instance().Copies();
}

void TRLPrintParams::SetMaxPage(int value) {
    if (ToPage == maxPage_) {
        ToPage = value;
    }
    maxPage_ = value;
}

TRLPrintParams& PrintParams() {
    static TRLPrintParams params;
    return params;
}

TRLPrintDialog::TRLPrintDialog(TRLPrintParams& params, QWidget* parent)
    : QDialog(parent), params_(params) {
    CreateControls();
}

void TRLPrintDialog::FitCaptions() {
    // A caption wider than its place pushes what follows it to the right.
    FitCaptionBefore(LabelPrinterName, ComboBoxPrinterNames);
    FitCaptionBefore(LabelFilterName, ComboBoxFilters);
    FitCaptionBefore(LabelCopies, EditCopies);
    FitPageRange(RadioButtonPagesInterval, LabelFromPage, EditFromPage, LabelToPage, EditToPage);
}

void TRLPrintDialog::CreateControls() {
    const EngineMessages& m = Messages();
    setWindowTitle(m.Print);
    setFont(DialogFont());
    setFixedSize(430, 267);

    GroupBoxPrinter = Place<QGroupBox>(this, 8, 4, 413, 113);
    GroupBoxPrinter->setTitle(QLatin1Char(' ') + m.Printer + QLatin1Char(' '));
    LabelPrinterName = Place<QLabel>(GroupBoxPrinter, 12, 24, 52, 13);
    LabelPrinterName->setText(m.Name + QLatin1Char(':'));
    ComboBoxPrinterNames = Place<QComboBox>(GroupBoxPrinter, 68, 20, 329, 21);
    LabelFilterName = Place<QLabel>(GroupBoxPrinter, 12, 48, 56, 13);
    LabelFilterName->setText(m.UseFilter + QLatin1Char(':'));
    ComboBoxFilters = Place<QComboBox>(GroupBoxPrinter, 68, 44, 177, 21);
    LabelOptions = Place<QLabel>(GroupBoxPrinter, 264, 48, 40, 13);
    ComboBoxOptions = Place<QComboBox>(GroupBoxPrinter, 308, 44, 89, 21);
    CheckBoxPrintToFile = Place<QCheckBox>(GroupBoxPrinter, 68, 68, 321, 17);
    CheckBoxPrintToFile->setText(m.PrintToFile);
    CheckBoxPrintInBackground = Place<QCheckBox>(GroupBoxPrinter, 68, 88, 321, 17);
    CheckBoxPrintInBackground->setText(m.PrintInBackground);

    GroupBoxPages = Place<QGroupBox>(this, 8, 120, 217, 101);
    GroupBoxPages->setTitle(QLatin1Char(' ') + m.PageRange + QLatin1Char(' '));
    RadioButtonPagesAll = Place<QRadioButton>(GroupBoxPages, 8, 20, 113, 17);
    RadioButtonPagesAll->setText(m.All);
    RadioButtonPagesInterval = Place<QRadioButton>(GroupBoxPages, 8, 44, 61, 17);
    RadioButtonPagesInterval->setText(m.Pages);
    LabelFromPage = Place<QLabel>(GroupBoxPages, 68, 45, 18, 13);
    LabelFromPage->setText(m.From + QLatin1Char(':'));
    EditFromPage = Place<QLineEdit>(GroupBoxPages, 88, 44, 41, 21);
    LabelToPage = Place<QLabel>(GroupBoxPages, 136, 45, 22, 13);
    LabelToPage->setText(m.To + QLatin1Char(':'));
    EditToPage = Place<QLineEdit>(GroupBoxPages, 160, 44, 41, 21);
    RadioButtonPagesSelect = Place<QRadioButton>(GroupBoxPages, 8, 68, 73, 17);
    RadioButtonPagesSelect->setText(m.Selection);

    GroupBoxCopies = Place<QGroupBox>(this, 236, 120, 185, 101);
    GroupBoxCopies->setTitle(QLatin1Char(' ') + m.Copies + QLatin1Char(' '));
    LabelCopies = Place<QLabel>(GroupBoxCopies, 12, 24, 110, 13);
    LabelCopies->setText(m.NumberOfCopies + QLatin1Char(':'));
    EditCopies = Place<QLineEdit>(GroupBoxCopies, 124, 20, 49, 21);

    ButtonOk = Place<QPushButton>(this, 260, 232, 75, 25);
    ButtonOk->setText(m.Ok);
    ButtonOk->setDefault(true);
    ButtonCancel = Place<QPushButton>(this, 344, 232, 75, 25);
    ButtonCancel->setText(m.Cancel);
    FitCaptions();

    connect(EditFromPage, &QLineEdit::textEdited, this,
            [this] { RadioButtonPagesInterval->setChecked(true); });
    connect(ComboBoxFilters, &QComboBox::currentIndexChanged, this, [this] { FilterChanged(); });
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TRLCustomPrintFilter* TRLPrintDialog::SelectedFilter() const {
    return qobject_cast<TRLCustomPrintFilter*>(ComboBoxFilters->currentData().value<QObject*>());
}

void TRLPrintDialog::FilterChanged() {
    TRLCustomPrintFilter* filter = SelectedFilter();
    const QStringList options = filter != nullptr ? filter->GetOptionsList() : QStringList();
    LabelOptions->setVisible(!options.isEmpty());
    ComboBoxOptions->setVisible(!options.isEmpty());
    if (!options.isEmpty()) {
        LabelOptions->setText(filter->GetOptionsLabel() + QLatin1Char(':'));
        ComboBoxOptions->clear();
        ComboBoxOptions->addItems(options);
        ComboBoxOptions->setCurrentIndex(filter->GetSelectedOption());
    }
}

void TRLPrintDialog::LoadParams() {
    TRLPrinterWrapper& printer = TRLPrinterWrapper::Instance();
    const EngineMessages& m = Messages();
    ComboBoxPrinterNames->clear();
    for (const QString& entry : printer.Printers()) {
        const QString name = entry.section(QLatin1Char('|'), 0, 0);
        const QString port = entry.section(QLatin1Char('|'), 1);
        ComboBoxPrinterNames->addItem(port.isEmpty() || port == name
                                          ? name
                                          : name + QLatin1Char(' ') + m.PrinterAtPort +
                                                QLatin1Char(' ') + port);
    }
    ComboBoxPrinterNames->setCurrentIndex(printer.PrinterIndex());

    ComboBoxFilters->blockSignals(true);
    ComboBoxFilters->clear();
    ComboBoxFilters->addItem(m.Default, QVariant::fromValue<QObject*>(nullptr));
    for (TRLCustomFilter* filter : ActiveFilters()) {
        auto* print = qobject_cast<TRLCustomPrintFilter*>(filter);
        if (print != nullptr && !print->GetDisplayName().isEmpty()) {
            ComboBoxFilters->addItem(print->GetDisplayName(), QVariant::fromValue<QObject*>(print));
            if (print == params_.Filter()) {
                ComboBoxFilters->setCurrentIndex(ComboBoxFilters->count() - 1);
            }
        }
    }
    ComboBoxFilters->blockSignals(false);
    ComboBoxFilters->setEnabled(ComboBoxFilters->count() > 1);
    FilterChanged();

    const int options = params_.Options;
    CheckBoxPrintToFile->setVisible((options & rpoPrintToFile) != 0);
    CheckBoxPrintToFile->setEnabled((options & rpoDisablePrintToFile) == 0);
    CheckBoxPrintToFile->setChecked(params_.PrintToFile);
    CheckBoxPrintInBackground->setEnabled((options & rpoDisablePrintInBackground) == 0);
    CheckBoxPrintInBackground->setChecked(params_.PrintInBackground);
    const bool pageNums = (options & rpoPageNums) != 0;
    RadioButtonPagesInterval->setEnabled(pageNums);
    EditFromPage->setEnabled(pageNums);
    EditToPage->setEnabled(pageNums);
    RadioButtonPagesSelect->setEnabled((options & rpoSelection) != 0);
    EditCopies->setEnabled((options & rpoDisableCopies) == 0);
    setWindowFlag(Qt::WindowContextHelpButtonHint, (options & rpoHelp) != 0);

    switch (params_.PrintRange) {
    case TRLPrintRange::rprAllPages:
        RadioButtonPagesAll->setChecked(true);
        break;
    case TRLPrintRange::rprSelection:
        RadioButtonPagesSelect->setChecked(true);
        break;
    case TRLPrintRange::rprPageNums:
        RadioButtonPagesInterval->setChecked(true);
        break;
    }
    EditFromPage->setText(PageText(params_.FromPage));
    EditToPage->setText(PageText(params_.ToPage));
    EditCopies->setText(PageText(params_.Copies));
}

void TRLPrintDialog::StoreParams() {
    if (RadioButtonPagesSelect->isChecked()) {
        params_.PrintRange = TRLPrintRange::rprSelection;
        params_.FromPage = params_.ToPage = Number(EditFromPage);
    } else if (RadioButtonPagesInterval->isChecked()) {
        params_.PrintRange = TRLPrintRange::rprPageNums;
        params_.FromPage = Number(EditFromPage);
        params_.ToPage = Number(EditToPage);
    } else {
        params_.PrintRange = TRLPrintRange::rprAllPages;
        params_.FromPage = params_.MinPage;
        params_.ToPage = params_.MaxPage();
    }
    params_.Copies = Number(EditCopies);
    params_.PrintToFile = CheckBoxPrintToFile->isChecked();
    params_.PrintInBackground = CheckBoxPrintInBackground->isChecked();
    TRLPrinterWrapper& printer = TRLPrinterWrapper::Instance();
    // Selecting a printer reloads its defaults: only when it changes.
    if (ComboBoxPrinterNames->currentIndex() >= 0 &&
        ComboBoxPrinterNames->currentIndex() != printer.PrinterIndex()) {
        printer.SetPrinterIndex(ComboBoxPrinterNames->currentIndex());
    }
    params_.SetFilter(SelectedFilter());
    if (params_.Filter() != nullptr && ComboBoxOptions->isVisible()) {
        params_.Filter()->SetSelectedOption(ComboBoxOptions->currentIndex());
    }
    printer.SetCopies(params_.Copies);
}

bool TRLPrintDialog::Execute() {
    LoadParams();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    StoreParams();
    return true;
}
