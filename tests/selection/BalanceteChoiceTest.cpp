// The report tool's balance report options without a server: the month and
// dates as typed, the type and grade, and the accounts marked the way the
// selection screen's grid marks them.
#include "BalanceteChoice.h"
#include "DateTime.h"

#include <gtest/gtest.h>

namespace {

using namespace BalanceteChoice;

double Day(int y, int m, int d) {
    return DateTime::EncodeDate(y, m, d);
}

TEST(BalanceteChoice, MonthsAndDatesAreReadDayFirstAndCheckedForTheCalendar) {
    EXPECT_EQ(ParseMonth(QStringLiteral("03/2014")), Day(2014, 3, 1));
    EXPECT_EQ(ParseMonth(QStringLiteral("3/2014")), Day(2014, 3, 1));
    EXPECT_EQ(ParseMonth(QStringLiteral("12/2014")), Day(2014, 12, 1));
    for (const char* bad : {"13/2014", "00/2014", "03/14", "03-2014", "03/2014 ", "", "  /    "}) {
        EXPECT_FALSE(ParseMonth(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(ParseDate(QStringLiteral("10/03/2014")), Day(2014, 3, 10));
    EXPECT_EQ(ParseDate(QStringLiteral("1/3/2014")), Day(2014, 3, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("29/02/2016")), Day(2016, 2, 29));
    for (const char* bad : {"29/02/2014", "31/04/2014", "10/13/2014", "2014-03-10", "10/03/14",
                            "10/03/2014x", "  /  /    "}) {
        EXPECT_FALSE(ParseDate(QString::fromLatin1(bad))) << bad;
    }
}

TEST(BalanceteChoice, TypeAndGradeAreTheScreensItems) {
    EXPECT_EQ(ParseType(QStringLiteral("receitas")), 0);
    EXPECT_EQ(ParseType(QStringLiteral("Despesas")), 1);
    EXPECT_EQ(ParseType(QStringLiteral("TODAS")), 2);
    EXPECT_FALSE(ParseType(QStringLiteral("receita")));
    EXPECT_FALSE(ParseType(QStringLiteral("2")));
    for (int g = 0; g <= 3; ++g) {
        EXPECT_EQ(ParseGrade(QString::number(g)), g);
    }
    for (const char* bad : {"4", "-1", "1.01", "03", ""}) {
        EXPECT_FALSE(ParseGrade(QString::fromLatin1(bad))) << bad;
    }
}

TEST(BalanceteChoice, TypedCodesMustLookLikeCodesTheGridListsAtTheGrade) {
    struct Case {
        const char* code;
        int grade;
        bool ok;
    };
    const Case cases[] = {
        {"1", 0, true},          {"1.01", 0, false}, // longer than the grade's codes
        {"1.01", 1, true},       {"2", 1, true},     // a shorter code is listed too
        {"1.01.01.01", 3, true}, {"1.01.01.01", 2, false},
        {"1.1", 3, false},       {"1,01", 3, false},
        {"1.01.", 3, false},     {"10.01", 3, false},
        {"'1.01'", 3, false},    {"1.01') or ('1'='1", 3, false},
        {"", 3, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsListedShape(QString::fromLatin1(c.code), c.grade), c.ok)
            << c.code << " at grade " << c.grade;
    }
    EXPECT_EQ(SplitCodes(QStringLiteral("1.01,2.01")),
              (QStringList{QStringLiteral("1.01"), QStringLiteral("2.01")}));
    EXPECT_EQ(SplitCodes(QStringLiteral(" 1.01 , 2.01")),
              (QStringList{QStringLiteral("1.01"), QStringLiteral("2.01")}));
    EXPECT_TRUE(SplitCodes(QStringLiteral("1.01,,2.01")).isEmpty());
    EXPECT_TRUE(SplitCodes(QStringLiteral("1.01,")).isEmpty());
    EXPECT_TRUE(SplitCodes(QString()).isEmpty());
}

// The grid of grade "1.01" over the chart 1, 1.01, 1.01.01, 1.02, 2, 2.01.
TEST(BalanceteChoice, ChosenCodesMarkTheirRowsAndSubAccountsAsDoubleClicksDo) {
    const QStringList grid{QStringLiteral("1"), QStringLiteral("1.01"), QStringLiteral("1.02"),
                           QStringLiteral("2"), QStringLiteral("2.01")};
    struct Case {
        QStringList chosen;
        int count;
        bool algumas;
        const char* contasSel;
    };
    const Case cases[] = {
        {{}, 5, false, ""}, // every account: no code list at all
        {{QStringLiteral("1.01"), QStringLiteral("2.01")}, 2, true, "'1.01','2.01'"},
        {{QStringLiteral("1")}, 3, true, "'1','1.01','1.02'"},
        // In grid order whatever the typed order; a code named twice counts once.
        {{QStringLiteral("2.01"), QStringLiteral("1.02"), QStringLiteral("2.01")},
         2,
         true,
         "'1.02','2.01'"},
        {{QStringLiteral("1"), QStringLiteral("2")}, 5, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.join(QLatin1Char(',')).toStdString());
        const TMarked m = MarkAccounts(grid, c.chosen);
        EXPECT_EQ(m.Count, c.count);
        EXPECT_EQ(m.AlgumasContas, c.algumas);
        EXPECT_EQ(m.ContasSel, QString::fromLatin1(c.contasSel));
    }
    // An empty grid has nothing to mark.
    EXPECT_EQ(MarkAccounts({}, {}).Count, 0);
}

// What the screen's double click and the tool's --accounts both go through.
TEST(BalanceteChoice, ARowCarriesTheLaterRowsOfItsSubAccounts) {
    const QStringList grid{QStringLiteral("1"),       QStringLiteral("1.01"),
                           QStringLiteral("1.01.01"), QStringLiteral("1.02"),
                           QStringLiteral("2"),       QStringLiteral("2.01")};
    const struct {
        qsizetype row;
        QList<qsizetype> rows;
    } cases[] = {
        {0, {0, 1, 2, 3}}, {1, {1, 2}}, {2, {2}}, {4, {4, 5}}, {5, {5}}, {-1, {}}, {6, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Family(grid, c.row), c.rows) << "row " << c.row;
    }
    // An empty row, as the screen's grid keeps when nothing is listed, is
    // nobody's sub-account.
    EXPECT_EQ(Family({QStringLiteral("2"), QString()}, 0), QList<qsizetype>{0});
}

TEST(BalanceteChoice, MarkedRowsBecomeTheReportsAccounts) {
    const QStringList grid{QStringLiteral("1.01"), QStringLiteral("1'2"), QStringLiteral("2")};
    const struct {
        std::vector<bool> marked;
        int count;
        bool algumas;
        const char* contasSel;
    } cases[] = {
        {{true, true, true}, 3, false, ""},
        {{true, false, true}, 2, true, "'1.01','2'"},
        // A quote inside a code is doubled, so the code stays one literal.
        {{false, true, false}, 1, true, "'1''2'"},
        {{false, false, false}, 0, true, ""},
    };
    for (const auto& c : cases) {
        const TMarked m = Chosen(grid, c.marked);
        EXPECT_EQ(m.Count, c.count) << c.contasSel;
        EXPECT_EQ(m.AlgumasContas, c.algumas) << c.contasSel;
        EXPECT_EQ(m.ContasSel, QString::fromLatin1(c.contasSel));
    }
}

TEST(BalanceteChoice, QuotedListKeepsEveryCodeInsideItsQuotes) {
    EXPECT_EQ(QuotedList({QStringLiteral("1.01"), QStringLiteral("2.01")}),
              QStringLiteral("'1.01','2.01'"));
    EXPECT_EQ(QuotedList({QStringLiteral("1'2")}), QStringLiteral("'1''2'"));
    EXPECT_EQ(QuotedList({}), QString());
}

} // namespace
