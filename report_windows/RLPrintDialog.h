#pragma once
// The print dialog of the preview window and the parameters it fills:
// printer, print filter, page range, copies, print to file and in the
// background.
#include "RLFilters.h"
#include <QDialog>

#include <QPointer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TRLCustomPrintFilter;

enum class TRLPrintRange { rprAllPages, rprSelection, rprPageNums };
enum TRLPrintDialogOption {
    rpoPrintToFile = 1,
    rpoPageNums = 2,
    rpoSelection = 4,
    rpoWarning = 8,
    rpoHelp = 16,
    rpoDisablePrintToFile = 32,
    rpoDisableCopies = 64,
    rpoDisablePrintInBackground = 128,
};
using TRLPrintDialogOptions = int; // a set of TRLPrintDialogOption

class TRLPrintParams {
public:
    // Back to the defaults; the copies from the selected printer.
    void Clear();
    int MaxPage() const { return maxPage_; }
    // ToPage follows when it was at the old maximum.
    void SetMaxPage(int value);
    TRLCustomPrintFilter* Filter() const { return filter_; }
    void SetFilter(TRLCustomPrintFilter* filter) { filter_ = filter; }

    int MinPage = 1;
    int FromPage = 1;
    int ToPage = 9999;
    TRLPrintRange PrintRange = TRLPrintRange::rprAllPages;
    QString FileName;
    int HelpContext = 0;
    int Copies = 1;
    bool Landscape = false;
    bool PrintToFile = false;
    bool PrintInBackground = false;
    TRLPrintDialogOptions Options =
        rpoPrintToFile | rpoPageNums | rpoSelection | rpoWarning | rpoDisablePrintToFile;

private:
    int maxPage_ = 9999;
    QPointer<TRLCustomPrintFilter> filter_;
};

// The one instance shared by the preview's print button and the dialog.
TRLPrintParams& PrintParams();

class TRLPrintDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRLPrintDialog(TRLPrintParams& params, QWidget* parent = nullptr);

    // Shows the dialog modally; true with the choices stored on OK.
    bool Execute();
    void LoadParams();
    void StoreParams();

    QGroupBox* GroupBoxPrinter;
    QLabel* LabelPrinterName;
    QComboBox* ComboBoxPrinterNames;
    QLabel* LabelFilterName;
    QComboBox* ComboBoxFilters;
    QLabel* LabelOptions;
    QComboBox* ComboBoxOptions;
    QCheckBox* CheckBoxPrintToFile;
    QCheckBox* CheckBoxPrintInBackground;
    QGroupBox* GroupBoxPages;
    QRadioButton* RadioButtonPagesAll;
    QRadioButton* RadioButtonPagesInterval;
    QRadioButton* RadioButtonPagesSelect;
    QLabel* LabelFromPage;
    QLineEdit* EditFromPage;
    QLabel* LabelToPage;
    QLineEdit* EditToPage;
    QGroupBox* GroupBoxCopies;
    QLabel* LabelCopies;
    QLineEdit* EditCopies;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

private:
    void CreateControls();
    void FitCaptions();
    void FilterChanged();
    TRLCustomPrintFilter* SelectedFilter() const;
    TRLPrintParams& params_;
};
