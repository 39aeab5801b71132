#include "XlsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>

namespace xlstest {

std::vector<TRLXLSPage> TwoReportPages() {
    auto title = Text(40, 20, 500, 40, QString::fromUtf8("Relação de Inadimplentes"));
    title.Font.Size = 14;
    title.Font.Styles = TRLXLSFont::Bold | TRLXLSFont::Italic;
    title.Font.Color = {0, 0, 0x80};
    auto amount = Text(300, 60, 400, 76, QStringLiteral("1.234,56"));
    amount.Alignment = 2;
    TRLXLSPage one{{title, Text(40, 60, 300, 76, QStringLiteral("Unidade 101\r\nBloco A")), amount,
                    Text(40, 80, 200, 96, QStringLiteral("Total")),
                    Text(200, 80, 300, 96, QStringLiteral("x")),
                    Text(300, 80, 400, 96, QStringLiteral("99,00"))}};
    TRLXLSPage two{{Text(40, 20, 300, 40, QString::fromUtf8("Página 2 – continuação"))}};
    return {one, two};
}

QJsonObject Dump(const QString& file) {
    QProcess p;
    p.start(QStringLiteral(QUORVA_PYTHON3), {QStringLiteral(XLS_DUMP_SCRIPT), file});
    p.waitForFinished(300000);
    const QByteArray out = p.readAllStandardOutput();
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    return QJsonDocument::fromJson(out).object();
}

QStringList LibreOfficeCsv(const QString& file, QString* log) {
    QTemporaryDir dir;
    QProcess p;
    // Numbers in the CSV follow LibreOffice's locale: fix it.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    // A private profile, so parallel runs do not share one.
    const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    // 76 = UTF-8; the last field -1 writes every sheet to its own file.
    p.start(QStringLiteral("soffice"),
            {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
             QStringLiteral("--convert-to"),
             QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,"
                            "false,-1"),
             QStringLiteral("--outdir"), dir.path(), file});
    p.waitForFinished(300000);
    *log = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << log->toStdString();
    QStringList sheets;
    const QString base = QFileInfo(file).completeBaseName();
    QStringList names = QDir(dir.path()).entryList({base + QStringLiteral("*.csv")}, QDir::Files);
    // Sheet files are named base-SheetName.csv; keep them in sheet order by number.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& n : names) {
        QFile f(dir.filePath(n));
        if (f.open(QIODevice::ReadOnly)) {
            sheets << QString::fromUtf8(f.readAll());
        }
    }
    return sheets;
}

} // namespace xlstest
