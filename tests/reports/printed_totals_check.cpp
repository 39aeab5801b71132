// Reads saved page files and says where a printed total does not equal the
// lines above it: the end-to-end tests run it over the reports the real
// tool wrote. Exit 0 when every file adds up, 1 otherwise.
#include "PrintedTotals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int faults = 0;
    for (const QString& file : app.arguments().mid(1)) {
        if (!QFileInfo(file).isFile()) {
            std::fprintf(stderr, "%s: no such page file\n", qPrintable(file));
            ++faults;
            continue;
        }
        const SavedReport report = LoadSaved(file);
        const QStringList found = PrintedTotalFaults(report);
        for (const QString& f : found) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(file), f.toUtf8().constData());
        }
        std::printf("%s: %d pages, %d faults\n", qPrintable(file), report.PageCount,
                    static_cast<int>(found.size()));
        faults += static_cast<int>(found.size()) + (report.PageCount == 0 ? 1 : 0);
    }
    return faults == 0 ? 0 : 1;
}
