// The report tool's output options on a report run against the test server:
// page ranges and page images, and spreadsheet amounts that add up to the
// listing's grand total when read by xlrd and by LibreOffice.
#include "ReportToolSupport.h"
#include "XlsTestSupport.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class ReportToolOutputTest : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return dir.filePath(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir;
};

TEST_F(ReportToolOutputTest, PageImagesAndPageRangesOfAReportRun) {
    ToolRun run = RunTool(ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"),
                                     Out(QStringLiteral("inad.png"))) +
                          QStringList{QStringLiteral("--pages"), QStringLiteral("2-3")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(Files(), (QStringList{"inad-2.png", "inad-3.png"}));
    EXPECT_EQ(QImage(Out(QStringLiteral("inad-3.png"))).size(), QSize(794, 1123));

    // The listing of payables has one page: page 2 is outside it.
    run = RunTool(ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("compromissados"),
                             Out(QStringLiteral("cap.pdf"))) +
                  QStringList{QStringLiteral("--pages"), QStringLiteral("2")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("--pages: the document has 1 page")))
        << run.Err.toStdString();
    EXPECT_EQ(Files(), (QStringList{"inad-2.png", "inad-3.png"}));
}

// One sheet row as the independent readers saw it: column -> value, numbers
// as numbers.
using Row = std::map<int, QVariant>;
using Sheet = std::map<int, Row>;

std::vector<Sheet> FromXlrd(const QString& file) {
    std::vector<Sheet> sheets;
    for (const QJsonValue& sheet : xlstest::Dump(file)["sheets"].toArray()) {
        Sheet s;
        for (const QJsonValue& cell : sheet.toObject()["cells"].toArray()) {
            const QJsonObject c = cell.toObject();
            const QVariant v =
                c["type"].toInt() == 2 ? QVariant(c["v"].toDouble()) : QVariant(c["v"].toString());
            if (v != QVariant(QString())) {
                s[c["r"].toInt()][c["c"].toInt()] = v;
            }
        }
        sheets.push_back(s);
    }
    return sheets;
}

// CSV of LibreOffice, numbers written in the C locale; fields that read as
// numbers are taken as numbers.
std::vector<Sheet> FromLibreOffice(const QString& file) {
    QString log;
    std::vector<Sheet> sheets;
    for (const QString& csv : xlstest::LibreOfficeCsv(file, &log)) {
        Sheet s;
        const QStringList lines = csv.split(u'\n');
        for (qsizetype r = 0; r < lines.size(); ++r) {
            const QStringList fields = lines[r].split(u',');
            for (qsizetype c = 0; c < fields.size(); ++c) {
                bool number = false;
                const double v = fields[c].toDouble(&number);
                if (number) {
                    s[int(r)][int(c)] = v;
                } else if (!fields[c].isEmpty()) {
                    s[int(r)][int(c)] = fields[c];
                }
            }
        }
        sheets.push_back(s);
    }
    return sheets;
}

bool HasText(const Row& row, const QString& text) {
    for (const auto& [c, v] : row) {
        if (v.typeId() == QMetaType::QString && v.toString() == text) {
            return true;
        }
    }
    return false;
}

// The right-most number of a row: its amount.
std::pair<int, double> Amount(const Row& row) {
    for (auto it = row.rbegin(); it != row.rend(); ++it) {
        if (it->second.typeId() == QMetaType::Double) {
            return {it->first, it->second.toDouble()};
        }
    }
    return {-1, 0};
}

int Numbers(const Row& row) {
    return static_cast<int>(std::count_if(row.begin(), row.end(), [](const auto& cell) {
        return cell.second.typeId() == QMetaType::Double;
    }));
}

// Every bill's amount, every unit's total and the grand total, each in the
// one column of amounts of its sheet; the bills and the units' totals each
// add up to the grand total.
void ExpectAmountsAddUp(const std::vector<Sheet>& sheets, const char* reader) {
    SCOPED_TRACE(reader);
    static const QRegularExpression day(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$"));
    double bills = 0, units = 0, grand = 0;
    int billCount = 0, grandCount = 0;
    std::vector<double> unitTotals;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        std::set<int> columns;
        for (const auto& [r, row] : sheets[i]) {
            const auto [column, amount] = Amount(row);
            const bool bill = std::any_of(row.begin(), row.end(), [](const auto& cell) {
                return cell.second.toString().contains(day);
            });
            if (bill) {
                bills += amount;
                ++billCount;
            } else if (HasText(row, QStringLiteral("Total do imóvel: ")) && Numbers(row) == 2) {
                // The unit's code is a number too; a unit whose bills add
                // up to zero shows no amount.
                units += amount;
                unitTotals.push_back(amount);
            } else if (HasText(row, QStringLiteral("Total Geral"))) {
                grand = amount;
                ++grandCount;
            } else {
                continue;
            }
            columns.insert(column);
        }
        EXPECT_EQ(columns.size(), 1u) << "sheet " << i + 1;
    }
    EXPECT_GT(billCount, 1000);
    EXPECT_EQ(grandCount, 1);
    EXPECT_NEAR(grand, 250.0, 1e-9);
    EXPECT_NEAR(bills, grand, 1e-6);
    EXPECT_NEAR(units, grand, 1e-6);
    // "1.234,50-": the program's negative form read as a negative number.
    EXPECT_NE(std::find(unitTotals.begin(), unitTotals.end(), -1234.5), unitTotals.end());
}

TEST_F(ReportToolOutputTest, ListingAmountsAddUpToTheGrandTotalInTheSpreadsheet) {
    const QString file = Out(QStringLiteral("inad.xls"));
    const ToolRun run =
        RunTool(ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), file) +
                QStringList{QStringLiteral("--xls-numbers")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    ExpectAmountsAddUp(FromXlrd(file), "xlrd");
    ExpectAmountsAddUp(FromLibreOffice(file), "LibreOffice");

    // Without the option the amounts stay the report's texts.
    const QString texts = Out(QStringLiteral("texts.xls"));
    ASSERT_EQ(
        RunTool(ReportArgs(40, QStringLiteral("Inad40"), QStringLiteral("inadimplencia"), texts))
            .ExitCode,
        0);
    const std::vector<Sheet> sheets = FromXlrd(texts);
    EXPECT_TRUE(HasText(sheets.front().at(5), QStringLiteral("50,00 ")));
    EXPECT_EQ(Amount(sheets.front().at(5)).first, -1);
}

} // namespace
