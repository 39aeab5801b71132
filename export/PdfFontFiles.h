#pragma once
#include <QString>

namespace Pdf {

// The installed font file that stands for a face name and style bits, or an
// empty string when there is none.
QString FontFilePath(const QString& name, int style);

} // namespace Pdf
