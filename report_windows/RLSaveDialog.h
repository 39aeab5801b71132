#pragma once
// The save dialog: file name, format and page range of a save, over the
// process-wide SaveParams. A window: it sits above the headless filters.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class TRLCustomSaveFilter;
class TRLGraphicStorage;
class TRLSaveParams;

class TRLSaveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRLSaveDialog(QWidget* parent = nullptr, TRLSaveParams* params = nullptr);

    // Shows the dialog modally; true when the user pressed the save button,
    // with the choices stored in the parameters.
    bool Execute();
    // Fill the controls from the parameters, and store them back (what
    // Execute does around the modal loop).
    void LoadParams();
    void StoreParams();

    QLabel* LabelFileName;
    QLineEdit* EditFileName;
    QToolButton* SpeedButtonLookup;
    QLabel* LabelUseFilter;
    QComboBox* ComboBoxFilters;
    QGroupBox* GroupBoxPages;
    QRadioButton* RadioButtonPagesAll;
    QRadioButton* RadioButtonPagesInterval;
    QRadioButton* RadioButtonPagesSelect;
    QLabel* LabelFromPage;
    QLineEdit* EditFromPage;
    QLabel* LabelToPage;
    QLineEdit* EditToPage;
    QCheckBox* CheckBoxSaveInBackground;
    QPushButton* ButtonSave;
    QPushButton* ButtonCancel;

    void SpeedButtonLookupClick();
    void EditFromPageChange();
    // Closes the dialog with OK, unless the name is empty, or its extension
    // names no format a save can write (said in a message; the dialog stays
    // open to correct it).
    void ButtonSaveClick();

protected:
    // The platform's save-file dialog; an empty answer means cancelled.
    virtual QString AskFileName(const QString& filter, const QString& defaultExt,
                                const QString& start);

private:
    void CreateControls();
    void FitCaptions();
    TRLCustomSaveFilter* SelectedFilter() const;
    TRLSaveParams& params_;
};

// The default file name of a save: the report title trimmed, without the
// characters a file name may not hold, as a full path in the current
// directory; empty for an empty title.
QString DefaultSaveFileName(const QString& title);

// The message that refuses a file name whose extension no format writes.
QString UnknownExtensionMessage(const QString& fileName);

// The preview's save button: asks for a file name, format and range over
// SaveParams, then runs the chosen filter over the range, or saves the range
// in the storage file format. False when the user cancelled. Errors of a
// foreground save are thrown.
bool SaveReport(TRLGraphicStorage* pages, QWidget* parent = nullptr);
