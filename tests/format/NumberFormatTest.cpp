#include "FormatNumber.h"

#include "Exception.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QString kBalance = QStringLiteral("###,###,##0.00 ;###,###,##0.00 -; ");
const QString kTotals = QStringLiteral("###,###,##0.00 ;###,###,##0.00-; ");
const QString kMonth = QStringLiteral("###,###,###.00;###,###,###.00; ");
const QString kNumber = QStringLiteral("#########");

class NumberFormat : public ::testing::Test {
protected:
    ScopedSettings settings_{BrazilianSettings()};
};

QString Num(const QString& pattern, long double value) {
    return FormatNumberText(pattern, value);
}
QString Fix(const QString& pattern, std::int64_t amount) {
    return FormatFixedText(pattern, amount);
}

TEST_F(NumberFormat, ProgramPatternsOverTheValueTable) {
    struct Row {
        long double value;
        const char* balance;
        const char* totals;
        const char* month;
        const char* number;
    };
    const Row rows[] = {
        {1234.5L, "1.234,50 ", "1.234,50 ", "1.234,50", "1235"},
        {-1234.5L, "1.234,50 -", "1.234,50-", "1.234,50", "-1235"},
        {0.0L, " ", " ", " ", ""},
        {0.5L, "0,50 ", "0,50 ", ",50", "1"},
        {-0.004L, " ", " ", " ", ""},
        {0.005L, "0,01 ", "0,01 ", ",01", ""},
        {1234567890.126L, "1.234.567.890,13 ", "1.234.567.890,13 ", "1.234.567.890,13",
         "1234567890"},
        {999999.999L, "1.000.000,00 ", "1.000.000,00 ", "1.000.000,00", "1000000"},
        {1234.0L, "1.234,00 ", "1.234,00 ", "1.234,00", "1234"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<double>(row.value));
        EXPECT_EQ(Num(kBalance, row.value), QString::fromLatin1(row.balance));
        EXPECT_EQ(Num(kTotals, row.value), QString::fromLatin1(row.totals));
        EXPECT_EQ(Num(kMonth, row.value), QString::fromLatin1(row.month));
        EXPECT_EQ(Num(kNumber, row.value), QString::fromLatin1(row.number));
    }
}

TEST_F(NumberFormat, SectionsFallBackToTheFirst) {
    const QString delinquency = QStringLiteral("###,###,##0.00 ;###,###,##0.00-;  ");
    EXPECT_EQ(Num(delinquency, 0), QStringLiteral("  "));
    EXPECT_EQ(Num(delinquency, -12.5L), QStringLiteral("12,50-"));
    // An empty third section formats zero with the first.
    EXPECT_EQ(Num(QStringLiteral("###,###,###.00;###,###,###.00;"), 0), QStringLiteral(",00"));
    // A single section writes the sign itself; a second section never does.
    EXPECT_EQ(Num(QStringLiteral("0.00"), -1.5L), QStringLiteral("-1,50"));
    EXPECT_EQ(Num(QStringLiteral("0.00;;zero"), -1.5L), QStringLiteral("-1,50"));
    EXPECT_EQ(Num(QStringLiteral("0.00;(0.00)"), -1.5L), QStringLiteral("(1,50)"));
    // A value that rounds to zero loses its sign and takes the zero section.
    EXPECT_EQ(Num(QStringLiteral("0.00;(0.00);zero"), -0.001L), QStringLiteral("zero"));
    EXPECT_EQ(Num(QStringLiteral("0.00"), -0.001L), QStringLiteral("0,00"));
    EXPECT_EQ(Fix(QStringLiteral("0.00;(0.00);zero"), -49), QStringLiteral("zero"));
}

TEST_F(NumberFormat, FixedPointRoundsHalfToEvenFloatingRoundsItsExpansion) {
    const QString pattern = QStringLiteral("0.00");
    // amount in ten-thousandths, the fixed-point text, the floating text of
    // the same value.
    struct Row {
        std::int64_t amount;
        const char* fixed;
        const char* floating;
    };
    const Row rows[] = {
        {1250, "0,12", "0,13"},       {1350, "0,14", "0,14"},  {50, "0,00", "0,01"},
        {150, "0,02", "0,02"},        {26750, "2,68", "2,68"}, {-1250, "-0,12", "-0,13"},
        {12345, "1,23", "1,23"},      {12355, "1,24", "1,24"}, {99950, "10,00", "10,00"},
        {-99950, "-10,00", "-10,00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.amount);
        EXPECT_EQ(Fix(pattern, row.amount), QString::fromLatin1(row.fixed));
        EXPECT_EQ(Num(pattern, row.amount / 10000.0L), QString::fromLatin1(row.floating));
    }
    // The double nearest to 2.675 lies just below it.
    EXPECT_EQ(Num(pattern, 2.675), QStringLiteral("2,67"));
    // More decimals than the amount has only add zeros.
    EXPECT_EQ(Fix(QStringLiteral("0.000000"), 12345), QStringLiteral("1,234500"));
    EXPECT_EQ(Fix(kBalance, 12345000), QStringLiteral("1.234,50 "));
    EXPECT_EQ(Fix(kBalance, -12345000), QStringLiteral("1.234,50 -"));
    EXPECT_EQ(Fix(kBalance, 0), QStringLiteral(" "));
}

TEST_F(NumberFormat, FixedPointCoversTheWholeRange) {
    const QString pattern = QStringLiteral("#,##0.00");
    EXPECT_EQ(Fix(pattern, std::numeric_limits<std::int64_t>::min()),
              QStringLiteral("-922.337.203.685.477,58"));
    EXPECT_EQ(Fix(pattern, std::numeric_limits<std::int64_t>::max()),
              QStringLiteral("922.337.203.685.477,58"));
    EXPECT_EQ(Fix(QStringLiteral("0.0000"), std::numeric_limits<std::int64_t>::min()),
              QStringLiteral("-922337203685477,5808"));
}

TEST_F(NumberFormat, PlaceholdersGroupingAndLiterals) {
    struct Row {
        const char* pattern;
        long double value;
        const char* expected;
    };
    const Row rows[] = {
        {"000", 5, "005"},
        {"#", 12345, "12345"},              // the first placeholder takes the surplus
        {"0,0", 1234567, "1.234.567"},      // "," anywhere groups
        {"0.00,", 1234567, "1.234.567,00"}, // even after the point
        {"#,##0", 999, "999"},
        {"#,##0", 1000, "1.000"},
        {"#,##0", 0.4L, "0"},
        {"00000,", 12, "00.012"}, // written zeros are grouped too
        {"0.###", 1.5L, "1,5"},
        {"0.###", 2, "2"}, // no decimal digit, no separator
        {"#.##", 0.25L, ",25"},
        {"0.0.0", 1.25L, "1,25"}, // a second point is ignored
        {"00-00", 1234, "12-34"},
        {"'R$ '#,##0.00", 1234.5L, "R$ 1.234,50"},
        {"\"a;b\"0;neg", -3, "neg"}, // a quoted ";" does not end the section
        {"0.'x'00", 1.5L, "1x,50"},  // the separator goes before the first decimal
        {".00", 12.5L, "12,50"},     // no integer placeholder keeps the digits
        {"x", 7, "x"},
        {"x", -7, "-x"},
        {"0 'unterminated", 1, "1 unterminated"},
        {"#.00####", 3.1415926L, "3,141593"},
        {"0.000000000000000000000000", 0.1L, "0,100000000000000000000000"},
        {"0", 0.5L, "1"},
        {"0", 1.5L, "2"},
        {"0", 2.5L, "3"}, // half away from zero
        {"0", -2.5L, "-3"},
        {"#,##0.00", 999999999999999999.0L, "999.999.999.999.999.999,00"},
        {"#,##0.00", 999999999999999999.5L, "1.000.000.000.000.000.000,00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(Num(QString::fromLatin1(row.pattern), row.value),
                  QString::fromLatin1(row.expected));
    }
}

TEST_F(NumberFormat, ScientificNotation) {
    EXPECT_EQ(Num(QStringLiteral("0.00E+00"), 1234.5L), QStringLiteral("1,23E+03"));
    EXPECT_EQ(Num(QStringLiteral("0.00E+00"), 0.00012L), QStringLiteral("1,20E-04"));
    EXPECT_EQ(Num(QStringLiteral("0.0e-0"), 1234.5L), QStringLiteral("1,2e3"));
    EXPECT_EQ(Num(QStringLiteral("00.0E+0"), 1234.5L), QStringLiteral("12,3E+2"));
    EXPECT_EQ(Num(QStringLiteral("0.00E+00"), 9.999L), QStringLiteral("1,00E+01"));
    EXPECT_EQ(Num(QStringLiteral("0.00E+00"), 0), QStringLiteral("0,00E+00"));
    EXPECT_EQ(Num(QStringLiteral("0.00E+0000"), 1e-4000L), QStringLiteral("1,00E-4000"));
    EXPECT_EQ(Fix(QStringLiteral("0.0E+0"), 12500), QStringLiteral("1,2E+0"));
    // "E" without a sign and a zero is a literal.
    EXPECT_EQ(Num(QStringLiteral("0E"), 5), QStringLiteral("5E"));
}

TEST_F(NumberFormat, GeneralFormat) {
    struct Row {
        long double value;
        const char* expected;
    };
    const Row rows[] = {
        {1234.5L, "1234,5"},
        {-0.25L, "-0,25"},
        {0, "0"},
        {0.1, "0,1"},
        {1.0L / 3, "0,333333333333333"},
        {123456789012345678.0L, "1,23456789012346E17"},
        {1e20L, "1E20"},
        {0.0001L, "0,0001"},
        {0.00001L, "1E-5"},
        {-1.5e-300L, "-1,5E-300"},
        {1e4000L, "1E4000"},
        {std::numeric_limits<long double>::denorm_min(), "3,64519953188247E-4951"},
        {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<long double>::infinity(), "INF"},
        {-std::numeric_limits<long double>::infinity(), "-INF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        // The general format applies when the first section is empty...
        EXPECT_EQ(Num(QString(), row.value), QString::fromLatin1(row.expected));
        EXPECT_EQ(Num(QStringLiteral(";x"), row.value), QString::fromLatin1(row.expected));
        // ... and to values no pattern can hold.
        if (!std::isfinite(row.value) || std::fabs(row.value) >= 1e18L) {
            EXPECT_EQ(Num(kBalance, row.value), QString::fromLatin1(row.expected));
        }
    }
    EXPECT_EQ(Fix(QString(), 12345000), QStringLiteral("1234,5"));
    EXPECT_EQ(Fix(QString(), -50), QStringLiteral("-0,005"));
    EXPECT_EQ(FixedToText(0), QStringLiteral("0"));
    EXPECT_EQ(IntToText(0), QStringLiteral("0"));
    EXPECT_EQ(IntToText(-1234567), QStringLiteral("-1234567"));
    EXPECT_EQ(IntToText(std::numeric_limits<std::int64_t>::min()),
              QStringLiteral("-9223372036854775808"));
}

TEST_F(NumberFormat, PatternLengthLimit) {
    const QString longest = QString(223, u'#') + u'0';
    EXPECT_EQ(Num(longest, 42), QStringLiteral("42"));
    EXPECT_EQ(Fix(longest, 420000), QStringLiteral("42"));
    const QString tooLong = longest + u'0';
    for (auto call : {+[](const QString& p) { Num(p, 1); }, +[](const QString& p) { Fix(p, 1); }}) {
        try {
            call(tooLong);
            ADD_FAILURE() << "no error for a 225-character pattern";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Format string too long"));
        }
    }
}

TEST_F(NumberFormat, FollowsTheCurrentSettings) {
    RegionalSettings us;
    ScopedSettings scoped(us);
    EXPECT_EQ(Num(kBalance, 1234.5L), QStringLiteral("1,234.50 "));
    EXPECT_EQ(Fix(kBalance, -12345000), QStringLiteral("1,234.50 -"));
    EXPECT_EQ(FloatToText(0.5L), QStringLiteral("0.5"));
}

} // namespace
