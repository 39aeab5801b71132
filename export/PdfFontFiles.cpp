#include "PdfFontFiles.h"

#include <QFileInfo>

namespace Pdf {

// The report faces are served by the Liberation families, which share their
// widths; any other face falls back to the sans family, as a font system
// substitutes an unknown face.
QString FontFilePath(const QString& name, int style) {
    const QString face = name.trimmed().toLower();
    QString family = QStringLiteral("LiberationSans");
    if (face == QLatin1String("times new roman") || face == QLatin1String("liberation serif")) {
        family = QStringLiteral("LiberationSerif");
    } else if (face == QLatin1String("courier new") || face == QLatin1String("liberation mono")) {
        family = QStringLiteral("LiberationMono");
    }
    static const char* const kSuffix[] = {"Regular", "Bold", "Italic", "BoldItalic"};
    const QString path = QStringLiteral("/usr/share/fonts/truetype/liberation/%1-%2.ttf")
                             .arg(family, QLatin1String(kSuffix[style & 3]));
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace Pdf
