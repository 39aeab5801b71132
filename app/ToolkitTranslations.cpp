#include "ToolkitTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool LoadToolkitTranslations() {
    // Lives as long as the program: the application keeps only a pointer.
    static QTranslator translator;
    if (!translator.isEmpty()) {
        return true;
    }
    return translator.load(QStringLiteral("qtbase_pt_BR"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
           QCoreApplication::installTranslator(&translator);
}
