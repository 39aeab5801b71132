#pragma once
// Turns a workbook model into the spreadsheet file: the workbook stream of
// records, then the compound document around it.
#include "RLXLSWorkbook.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace XLS {

// The workbook stream alone, as it goes into the container. Numbers in value
// texts are read with the given decimal separator.
std::vector<std::uint8_t> BuildWorkbookStream(const TRLXLSWorkbook& workbook,
                                              QChar decimalSeparator);

// Writes the whole document to a temporary file that then takes the file's
// name (AtomicFile): after any failure a file of that name is as it was.
// Raises an Exception with the system's reason when the file cannot be
// created or written.
void SaveWorkbook(const TRLXLSWorkbook& workbook, QChar decimalSeparator, const QString& fileName);

} // namespace XLS
