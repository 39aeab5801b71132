#include "RLPrinterSetup.h"

#include "RLPrinters.h"

#include <QPageSetupDialog>

void ExecutePrinterSetup(QWidget* parent) {
    TRLPrinterWrapper& printers = TRLPrinterWrapper::Instance();
    printers.Refresh();
    QPageSetupDialog dialog(printers.Printer(), parent);
    dialog.exec();
}
