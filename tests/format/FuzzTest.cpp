// Arbitrary patterns, values and texts through the four operations: each
// call returns or raises its documented error, and nothing else happens.
#include "DateTime.h"
#include "Exception.h"
#include "FormatDate.h"
#include "FormatNumber.h"
#include "FormatTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

class Fuzz : public ::testing::Test {
protected:
    std::mt19937_64 random_{20150307};
    ScopedSettings settings_{BrazilianSettings()};
    ScopedClock clock_{DateTime::EncodeDate(2015, 6, 15)};

    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    // Mostly short texts, now and then past the 224-character limit.
    QString Text(const char* alphabet, const std::vector<const char*>& words) {
        const int length = Below(8) == 0 ? 200 + Below(60) : Below(30);
        const int letters = static_cast<int>(std::strlen(alphabet));
        QString text;
        while (text.size() < length) {
            if (!words.empty() && Below(6) == 0) {
                text += QString::fromUtf8(
                    words[static_cast<std::size_t>(Below(static_cast<int>(words.size())))]);
            } else {
                text += QChar(static_cast<uchar>(alphabet[Below(letters)]));
            }
        }
        return text;
    }

    long double Value() {
        switch (Below(6)) {
        case 0:
            return std::numeric_limits<long double>::quiet_NaN();
        case 1:
            return Below(2) ? std::numeric_limits<long double>::infinity()
                            : -std::numeric_limits<long double>::infinity();
        case 2:
            return static_cast<long double>(static_cast<std::int64_t>(random_())) / 10000;
        case 3:
            return std::ldexp(static_cast<long double>(random_()), Below(200) - 150) *
                   (Below(2) ? 1 : -1);
        default:
            return std::ldexp(static_cast<long double>(random_()), Below(33000) - 16500) *
                   (Below(2) ? 1 : -1);
        }
    }

    double DateValue() {
        switch (Below(4)) {
        case 0:
            return static_cast<double>(Value());
        case 1:
            return (static_cast<double>(random_() % 1000000000) - 500000000) / 1000.0;
        default:
            return static_cast<double>(Below(DateTime::kMaxDays - DateTime::kMinDays + 1) +
                                       DateTime::kMinDays) +
                   (Below(2) ? Below(86400000) / 86400000.0 : 0.0);
        }
    }
};

template <typename Call> void ExpectNumberContract(const QString& pattern, Call call) {
    try {
        const QString text = call();
        EXPECT_LE(pattern.size(), 224) << pattern.toStdString();
        EXPECT_LT(text.size(), 1000);
    } catch (const EConvertError& e) {
        EXPECT_GT(pattern.size(), 224) << pattern.toStdString();
        EXPECT_EQ(e.Message(), QStringLiteral("Format string too long"));
    }
}

TEST_F(Fuzz, NumberPatterns) {
    const std::vector<const char*> words = {
        "###,###,##0.00", "E+00", "e-0", "\"", "'", ";", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};
    for (int i = 0; i < 20000; ++i) {
        const QString pattern = Text("0#.,;'\"Ee+- xR$()\t\x01", words);
        const long double value = Value();
        const auto amount = static_cast<std::int64_t>(random_());
        ExpectNumberContract(pattern, [&] { return FormatNumberText(pattern, value); });
        ExpectNumberContract(pattern, [&] { return FormatFixedText(pattern, amount); });
    }
}

TEST_F(Fuzz, DatePatterns) {
    const std::vector<const char*> words = {"am/pm", "a/p", "ampm", "ddddd", "dddddd", "c",
                                            "tt",    "\"",  "'",    "mmmm",  "yyyy",   "hh:mm"};
    for (int i = 0; i < 20000; ++i) {
        const QString pattern = Text("dmyhnszatcgeDMYHNSZATCGE/:'\" -x\t\x01", words);
        const double value = DateValue();
        QString text;
        EXPECT_NO_THROW(text = FormatDateText(pattern, value));
        EXPECT_LE(text.size(), 256);
    }
}

TEST_F(Fuzz, ReadingTexts) {
    const std::vector<const char*> words = {"AM", "pm", "01/03/2015", "12:30:15,5", "  /  /    "};
    for (int i = 0; i < 20000; ++i) {
        const QString text = Text("0123456789//::,. APMapm\t\x01\x7f", words);
        try {
            const double value = ParseDateTime(text);
            EXPECT_TRUE(std::isfinite(value));
            EXPECT_GE(value, DateTime::kMinDays - 1);
            EXPECT_LE(value, DateTime::kMaxDays + 1);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u'\'' + text + QStringLiteral("' is not a valid date and time"));
        }
    }
}

TEST_F(Fuzz, FixedAndFloatingAgreeWithoutRounding) {
    // With four decimals nothing is rounded, so both operations must write
    // the same digits for any amount the extended type holds exactly enough.
    const QString pattern = QStringLiteral("#,##0.0000;(#,##0.0000);zero");
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t amount =
            static_cast<std::int64_t>(random_() % 200000000000000000ull) - 100000000000000000ll;
        const std::int64_t small = amount / (1ll << Below(56));
        for (std::int64_t a : {amount, small}) {
            ASSERT_EQ(FormatFixedText(pattern, a), FormatNumberText(pattern, a / 10000.0L)) << a;
        }
    }
}

TEST_F(Fuzz, WrittenDatesReadBack) {
    const QString pattern = QStringLiteral("dd/mm/yyyy hh:nn:ss,zzz");
    for (int i = 0; i < 20000; ++i) {
        const int days = Below(DateTime::kMaxDays) + 1;
        double time = 0;
        DateTime::TryEncodeTime(Below(24), Below(60), Below(60), Below(1000), time);
        const double value = days + time;
        const QString text = FormatDateText(pattern, value);
        ASSERT_NEAR(ParseDateTime(text), value, 1e-8) << text.toStdString();
    }
}

TEST_F(Fuzz, OddSettingsDoNotBreakAnything) {
    const char separators[] = "./:,- ;'\"0";
    for (int i = 0; i < 3000; ++i) {
        RegionalSettings s = BrazilianSettings();
        s.DecimalSeparator = QChar(static_cast<uchar>(separators[Below(10)]));
        s.ThousandSeparator = QChar(static_cast<uchar>(separators[Below(10)]));
        s.DateSeparator = QChar(static_cast<uchar>(separators[Below(10)]));
        s.TimeSeparator = QChar(static_cast<uchar>(separators[Below(10)]));
        s.ShortDateFormat = Text("dmyc/t'\" ", {"ddddd", "dddddd"});
        s.LongTimeFormat = Text("hnsct:'\" ", {"am/pm", "tt"});
        s.TimeAMString = Below(2) ? QString() : QStringLiteral("1");
        const QString text = Text("0123456789/:,. -APM", {});
        double value = 0;
        EXPECT_NO_THROW(FormatDateText(QStringLiteral("c ddddd t tt"), DateValue(), s));
        EXPECT_NO_THROW(TryParseDateTime(text, value, s));
        EXPECT_NO_THROW(FormatNumberText(QStringLiteral("#,##0.00"), Value(), s));
    }
}

} // namespace
