#include "RLSaveDialog.h"

#include "EngineMessages.h"
#include "RLDialogParts.h"
#include "RLEngineServices.h"
#include "RLFilters.h"
#include "RLMetaFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

QString PageText(int page) {
    return page == 0 ? QString() : QString::number(page);
}

int PageNumber(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

TRLSaveDialog::TRLSaveDialog(QWidget* parent, TRLSaveParams* params)
    : QDialog(parent), params_(params != nullptr ? *params : SaveParams()) {
    CreateControls();
}

void TRLSaveDialog::CreateControls() {
    const EngineMessages& m = Messages();
    setWindowTitle(m.Save);
    setFont(DialogFont());
    setFixedSize(391, 244);

    LabelFileName = Place<QLabel>(this, 12, 16, 84, 13);
    LabelFileName->setText(m.FileName + QLatin1Char(':'));
    EditFileName = Place<QLineEdit>(this, 108, 12, 249, 21);
    SpeedButtonLookup = Place<QToolButton>(this, 356, 12, 21, 21);
    SpeedButtonLookup->setText(QStringLiteral("..."));
    SpeedButtonLookup->setFocusPolicy(Qt::NoFocus);
    LabelUseFilter = Place<QLabel>(this, 12, 44, 86, 13);
    LabelUseFilter->setText(m.UseFilter + QLatin1Char(':'));
    ComboBoxFilters = Place<QComboBox>(this, 108, 40, 177, 21);

    GroupBoxPages = Place<QGroupBox>(this, 12, 68, 365, 101);
    GroupBoxPages->setTitle(QLatin1Char(' ') + m.PageRange + QLatin1Char(' '));
    RadioButtonPagesAll = Place<QRadioButton>(GroupBoxPages, 8, 20, 113, 17);
    RadioButtonPagesAll->setText(m.All);
    RadioButtonPagesInterval = Place<QRadioButton>(GroupBoxPages, 8, 44, 61, 17);
    RadioButtonPagesInterval->setText(m.Pages);
    RadioButtonPagesSelect = Place<QRadioButton>(GroupBoxPages, 8, 68, 73, 17);
    RadioButtonPagesSelect->setText(m.Selection);
    LabelFromPage = Place<QLabel>(GroupBoxPages, 68, 45, 15, 13);
    LabelFromPage->setText(m.From + QLatin1Char(':'));
    EditFromPage = Place<QLineEdit>(GroupBoxPages, 88, 44, 41, 21);
    EditFromPage->setFocusPolicy(Qt::ClickFocus);
    LabelToPage = Place<QLabel>(GroupBoxPages, 136, 45, 18, 13);
    LabelToPage->setText(m.To);
    EditToPage = Place<QLineEdit>(GroupBoxPages, 160, 44, 41, 21);
    EditToPage->setFocusPolicy(Qt::ClickFocus);

    CheckBoxSaveInBackground = Place<QCheckBox>(this, 12, 172, 365, 17);
    CheckBoxSaveInBackground->setText(m.SaveInBackground);
    ButtonSave = Place<QPushButton>(this, 220, 204, 75, 25);
    ButtonSave->setText(m.Save);
    ButtonSave->setDefault(true);
    ButtonCancel = Place<QPushButton>(this, 304, 204, 75, 25);
    ButtonCancel->setText(m.Cancel);

    FitCaptions();

    setTabOrder(EditFileName, ComboBoxFilters);
    setTabOrder(ComboBoxFilters, RadioButtonPagesAll);
    setTabOrder(RadioButtonPagesAll, CheckBoxSaveInBackground);
    setTabOrder(CheckBoxSaveInBackground, ButtonSave);
    setTabOrder(ButtonSave, ButtonCancel);

    connect(SpeedButtonLookup, &QToolButton::clicked, this, [this] { SpeedButtonLookupClick(); });
    connect(EditFromPage, &QLineEdit::textEdited, this, [this] { EditFromPageChange(); });
    connect(EditToPage, &QLineEdit::textEdited, this, [this] { EditFromPageChange(); });
    connect(ButtonSave, &QPushButton::clicked, this, [this] { ButtonSaveClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRLSaveDialog::FitCaptions() {
    // A caption wider than its place pushes its field to the right; the
    // field keeps its right edge.
    FitCaptionBefore(LabelFileName, EditFileName);
    FitCaptionBefore(LabelUseFilter, ComboBoxFilters);
    FitPageRange(RadioButtonPagesInterval, LabelFromPage, EditFromPage, LabelToPage, EditToPage);
}

void TRLSaveDialog::LoadParams() {
    ComboBoxFilters->clear();
    ComboBoxFilters->addItem(Messages().Default, QVariant::fromValue<QObject*>(nullptr));
    int selected = 0;
    for (TRLCustomFilter* filter : ActiveFilters()) {
        if (auto* save = qobject_cast<TRLCustomSaveFilter*>(filter)) {
            ComboBoxFilters->addItem(save->GetDisplayName(), QVariant::fromValue<QObject*>(save));
            if (save == params_.Filter()) {
                selected = ComboBoxFilters->count() - 1;
            }
        }
    }
    ComboBoxFilters->setCurrentIndex(selected);

    switch (params_.SaveRange) {
    case TRLSaveRange::rsrAllPages:
        RadioButtonPagesAll->setChecked(true);
        break;
    case TRLSaveRange::rsrSelection:
        RadioButtonPagesSelect->setChecked(true);
        break;
    case TRLSaveRange::rsrPageNums:
        RadioButtonPagesInterval->setChecked(true);
        break;
    }
    EditFileName->setText(params_.FileName);
    EditFromPage->setText(PageText(params_.FromPage));
    EditToPage->setText(PageText(params_.ToPage));
    CheckBoxSaveInBackground->setChecked(params_.SaveInBackground);
    CheckBoxSaveInBackground->setEnabled((params_.Options & rsoDisableSaveInBackground) == 0);
    RadioButtonPagesInterval->setEnabled(true);
    EditFromPage->setEnabled(true);
    EditToPage->setEnabled(true);
    // A stored report has no selection.
    RadioButtonPagesSelect->setEnabled(false);
}

TRLCustomSaveFilter* TRLSaveDialog::SelectedFilter() const {
    return qobject_cast<TRLCustomSaveFilter*>(ComboBoxFilters->currentData().value<QObject*>());
}

void TRLSaveDialog::StoreParams() {
    params_.FileName = EditFileName->text();
    if (RadioButtonPagesSelect->isChecked()) {
        params_.SaveRange = TRLSaveRange::rsrSelection;
        params_.FromPage = params_.ToPage = PageNumber(EditFromPage);
    } else if (RadioButtonPagesInterval->isChecked()) {
        params_.SaveRange = TRLSaveRange::rsrPageNums;
        params_.FromPage = PageNumber(EditFromPage);
        params_.ToPage = PageNumber(EditToPage);
    } else {
        params_.SaveRange = TRLSaveRange::rsrAllPages;
        params_.FromPage = params_.MinPage;
        params_.ToPage = params_.MaxPage();
    }
    params_.SaveInBackground = CheckBoxSaveInBackground->isChecked();
    params_.SetFilter(SelectedFilter());
    if (!FileExtension(params_.FileName).isEmpty()) {
        // The extension typed wins over the list. The save button lets
        // through only those a save can write: a filter's, or the page
        // file's, which is the engine's own format (no filter).
        params_.SetFilter(SaveFilterByFileName(params_.FileName));
    } else if (params_.Filter() != nullptr) {
        params_.FileName += WithLeadingDot(params_.Filter()->DefaultExt);
    } else {
        params_.FileName += QLatin1String(RLStorageFileExt);
    }
}

bool TRLSaveDialog::Execute() {
    LoadParams();
    EditFileName->setFocus();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    StoreParams();
    return true;
}

void TRLSaveDialog::EditFromPageChange() {
    if (!RadioButtonPagesInterval->isChecked()) {
        RadioButtonPagesInterval->setChecked(true);
    }
}

void TRLSaveDialog::ButtonSaveClick() {
    const QString name = EditFileName->text();
    // Saving under no name at all would write a bare ".rpf" here.
    if (name.trimmed().isEmpty()) {
        return;
    }
    // Written anyway, the file would not be what its name says: a page file
    // called "trecho.pdf" that no PDF reader opens.
    if (!FileExtension(name).isEmpty() && !IsKnownSaveExtension(name)) {
        RLEngineServices::ShowMessage(UnknownExtensionMessage(name));
        EditFileName->setFocus();
        return;
    }
    accept();
}

void TRLSaveDialog::SpeedButtonLookupClick() {
    TRLCustomSaveFilter* filter = SelectedFilter();
    const QString name =
        filter != nullptr ? filter->GetDisplayName() : QStringLiteral("KalvarReport");
    const QString ext =
        WithLeadingDot(filter != nullptr ? filter->DefaultExt : QLatin1String(RLStorageFileExt));
    const QString chosen = AskFileName(name + QStringLiteral(" (*") + ext + QLatin1Char(')'), ext,
                                       EditFileName->text());
    if (!chosen.isEmpty()) {
        EditFileName->setText(chosen);
    }
}

QString TRLSaveDialog::AskFileName(const QString& filter, const QString& defaultExt,
                                   const QString& start) {
    QFileDialog dialog(this);
    // The toolkit's own dialog everywhere, large enough for its name, size,
    // type and date columns to show.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.resize(880, 500);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultExt.mid(1));
    dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString DefaultSaveFileName(const QString& title) {
    static const QString forbidden = QStringLiteral("\"*/:<>?\\|");
    QString name;
    for (const QChar c : title.trimmed()) {
        const char16_t code = c.unicode();
        if (code > 31 && code != 127 && !forbidden.contains(c)) {
            name += c;
        }
    }
    return name.isEmpty() ? QString() : QDir::current().absoluteFilePath(name);
}

QString UnknownExtensionMessage(const QString& fileName) {
    const EngineMessages& m = Messages();
    return m.UnknownExtension + QStringLiteral(": \"") + FileExtension(fileName) +
           QStringLiteral("\"\n") + m.KnownExtensions + QStringLiteral(": ") +
           KnownSaveExtensions().join(QStringLiteral(", "));
}

bool SaveReport(TRLGraphicStorage* pages, QWidget* parent) {
    if (pages == nullptr) {
        return false;
    }
    TRLSaveParams& params = SaveParams();
    params.Clear();
    params.SetMaxPage(pages->PageCount());
    params.FileName = DefaultSaveFileName(pages->Title());
    if (params.FileName.isEmpty() && params.Filter() != nullptr) {
        params.FileName = params.Filter()->FileName;
    }
    TRLSaveDialog dialog(parent, &params);
    if (!dialog.Execute()) {
        return false;
    }
    if (TRLCustomSaveFilter* filter = params.Filter()) {
        filter->FileName = params.FileName;
        filter->FilterPages(pages, params.FromPage, params.SaveInBackground, params.ToPage);
    } else {
        // The page file keeps to the chosen pages as the filters do.
        pages->SaveToFile(params.FileName, params.FromPage, params.ToPage);
    }
    return true;
}
