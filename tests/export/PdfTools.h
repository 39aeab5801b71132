#pragma once
// Independent readers run on every file the tests write.
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace PdfTools {

struct Result {
    int exitCode = -1;
    QString output; // standard output and error together
};

Result Run(const QString& program, const QStringList& arguments);

// qpdf --check: exit code 0 and no warning.
::testing::AssertionResult QpdfClean(const QString& path);

// pdftotext -layout of one page (0: every page), as UTF-8.
QString Text(const QString& path, int page = 0);

// Renders page 1 at the given resolution to <pngBase>-1.png and answers the
// PNG's path (empty on failure).
QString Render(const QString& path, const QString& pngBase, int dpi = 72);

// A word pdftotext -bbox finds, with its box in points from the page's top
// left corner.
struct Word {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
std::vector<Word> Words(const QString& path);

// The font names pdffonts lists, in its order.
QStringList FontNames(const QString& path);

// A path for a file the test writes, in a directory of the build tree that is
// kept after the run.
QString OutputPath(const QString& name);

QByteArray ReadAll(const QString& path);

} // namespace PdfTools
