#pragma once
// The single access to the platform's printers, used by the print dialog,
// the preview's setup button and the print filter. Headless: it creates no
// windows (the setup dialog lives in RLPrinterSetup.h), though Qt's printing
// library links the widgets library.
#include "RLReport.h"

#include <QStringList>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

// Device figures of the current printer, in device pixels.
struct TRLPrinterMetrics {
    int PPIX = 300;
    int PPIY = 300;
    int PhysicalWidth = 2550;
    int PhysicalHeight = 3300;
    int MarginLeft = 75;
    int MarginTop = 75;
    int ClientWidth = 2400;
    int ClientHeight = 3150;
    int MarginRight = 75;
    int MarginBottom = 75;
    friend bool operator==(const TRLPrinterMetrics&, const TRLPrinterMetrics&) = default;
};

// The standard size within 0.01 mm (widths and heights differences summed)
// of a portrait request that the platform knows by its own paper code, the
// smallest difference winning and the first in table order on a tie.
std::optional<TRLPaperSize> MatchPaperSize(double widthMM, double heightMM);

class TRLPrinterWrapper {
public:
    static TRLPrinterWrapper& Instance();
    ~TRLPrinterWrapper();

    // "name|port" (or the name alone), read once and kept until Refresh.
    QStringList Printers();
    int PrinterIndex() const { return index_; }
    // Makes the printer current with its own default settings.
    void SetPrinterIndex(int index);
    // Selects the first printer when none is and there are some.
    void EnsurePrinter();
    QString PrinterName();
    int Copies();
    void SetCopies(int copies);
    // Paper by standard size when one matches, else a custom size.
    void SetPaperSize(double widthMM, double heightMM, TRLPageOrientation orientation);
    TRLPrinterMetrics Metrics();
    void Refresh();

    // Printing. A file name sends the job to a PDF file instead of the
    // printer (for print-to-file and tests).
    void SetOutputFileName(const QString& fileName);
    void BeginDoc(const QString& title);
    void NewPage();
    void EndDoc();
    QPainter* Canvas() const { return painter_.get(); }
    // The current printer for the platform's setup dialog.
    QPrinter* Printer();

private:
    TRLPrinterWrapper();
    void LoadList();
    void MakePrinter();
    bool HasDevice() const;

    bool listed_ = false;
    QStringList printers_;
    int index_ = -1;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QString outputFile_;
};
