#pragma once
// The platform's printer settings dialog for the current printer (the
// preview's setup button). Nothing chosen there reaches the print parameters.
class QWidget;

void ExecutePrinterSetup(QWidget* parent);
