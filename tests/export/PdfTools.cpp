#include <gtest/gtest.h>

#include "PdfTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace PdfTools {

Result Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(120000)) {
        result.output = QStringLiteral("could not run ") + program;
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

::testing::AssertionResult QpdfClean(const QString& path) {
    const Result r = Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    if (r.exitCode == 0 && !r.output.contains(QStringLiteral("WARNING"), Qt::CaseInsensitive)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "qpdf --check " << path.toStdString() << " exit " << r.exitCode << ":\n"
           << r.output.toStdString();
}

QString Text(const QString& path, int page) {
    QStringList args{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (page > 0) {
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    }
    args << path << QStringLiteral("-");
    return Run(QStringLiteral("pdftotext"), args).output;
}

QString Render(const QString& path, const QString& pngBase, int dpi) {
    const Result r = Run(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                          QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                          QStringLiteral("1"), path, pngBase});
    if (r.exitCode != 0) {
        return {};
    }
    // pdftoppm pads the page number to the width of the page count.
    for (const char* suffix : {"-1.png", "-01.png", "-001.png", "-0001.png"}) {
        const QString png = pngBase + QLatin1String(suffix);
        if (QFileInfo::exists(png)) {
            return png;
        }
    }
    return {};
}

std::vector<Word> Words(const QString& path) {
    const Result bbox =
        Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression word(QString::fromLatin1(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re"));
    std::vector<Word> words;
    for (auto it = word.globalMatch(bbox.output); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

QStringList FontNames(const QString& path) {
    // Two header lines, then one font a line, its name first.
    const QStringList lines =
        Run(QStringLiteral("pdffonts"), {path}).output.split(QLatin1Char('\n'));
    QStringList names;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString name = lines[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (!name.isEmpty()) {
            names << name;
        }
    }
    return names;
}

QString OutputPath(const QString& name) {
    QDir dir(QDir::current().absoluteFilePath(QStringLiteral("pdf_output")));
    dir.mkpath(QStringLiteral("."));
    return dir.absoluteFilePath(name);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

} // namespace PdfTools
