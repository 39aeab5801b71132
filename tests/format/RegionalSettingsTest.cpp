#include "RegionalSettings.h"

#include "FormatDate.h"
#include "FormatNumber.h"
#include "FormatTestSupport.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TEST(RegionalSettings, FallbacksWhenNothingIsConfigured) {
    const RegionalSettings s = RegionalSettings::FromLocale(QLocale::c());
    EXPECT_EQ(s.DecimalSeparator, u'.');
    EXPECT_EQ(s.ThousandSeparator, u',');
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(s.ShortDateFormat, QStringLiteral("m/d/yy"));
    EXPECT_EQ(s.LongDateFormat, QStringLiteral("mmmm d, yyyy"));
    EXPECT_EQ(s.TimeAMString, QStringLiteral("am"));
    EXPECT_EQ(s.ShortTimeFormat, QStringLiteral("h:mm AMPM"));
    EXPECT_EQ(s.LongMonthNames[0], QStringLiteral("January"));
    EXPECT_EQ(s.ShortDayNames[0], QStringLiteral("Sun"));
}

TEST(RegionalSettings, BrazilianLocale) {
    const RegionalSettings s =
        RegionalSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(s.DecimalSeparator, u',');
    EXPECT_EQ(s.ThousandSeparator, u'.');
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.ShortDateFormat, QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(s.ShortTimeFormat, QStringLiteral("hh:mm"));
    EXPECT_EQ(s.LongTimeFormat, QStringLiteral("hh:mm:ss"));
    EXPECT_EQ(s.LongMonthNames[2], QStringLiteral("março"));
    EXPECT_EQ(s.LongDayNames[0], QStringLiteral("domingo"));
    const double date = DateTime::EncodeDate(2015, 3, 7);
    EXPECT_EQ(FormatDateText(QStringLiteral("ddddd"), date, s), QStringLiteral("07/03/2015"));
    EXPECT_EQ(FormatDateText(QStringLiteral("dddddd"), date, s),
              QStringLiteral("sábado, 7 de março de 2015"));
    EXPECT_EQ(FormatNumberText(QStringLiteral("#,##0.00"), 1234.5L, s), QStringLiteral("1.234,50"));
    EXPECT_EQ(ParseDateTime(QStringLiteral("01/03/2015"), s), DateTime::EncodeDate(2015, 3, 1));
}

TEST(RegionalSettings, TwelveHourLocalesAndOtherSeparators) {
    const RegionalSettings us =
        RegionalSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.ShortDateFormat, QStringLiteral("m/d/yy"));
    EXPECT_EQ(us.ShortTimeFormat, QStringLiteral("h:mm AMPM"));
    EXPECT_EQ(us.LongTimeFormat, QStringLiteral("h:mm:ss AMPM"));
    EXPECT_EQ(FormatDateText(QStringLiteral("c"), DateTime::EncodeDate(2015, 3, 7) + 0.75, us),
              QStringLiteral("3/7/15 6:00:00 PM"));

    const RegionalSettings de =
        RegionalSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.DateSeparator, u'.');
    EXPECT_EQ(de.ShortDateFormat, QStringLiteral("dd/mm/yy"));
    EXPECT_EQ(FormatDateText(QString(), DateTime::EncodeDate(2015, 3, 7), de),
              QStringLiteral("07.03.15"));

    const RegionalSettings ko = RegionalSettings::FromLocale(QLocale(QLocale::Korean));
    EXPECT_TRUE(ko.ShortTimeFormat.startsWith(QStringLiteral("AMPM ")));
}

TEST(RegionalSettings, CurrentRecordIsReplacedAndReloaded) {
    const RegionalSettings saved = RegionalSettings::Current();
    RegionalSettings::SetCurrent(BrazilianSettings());
    EXPECT_EQ(RegionalSettings::CurrentDecimalSeparator(), u',');
    EXPECT_EQ(FormatNumberText(QStringLiteral("0.0"), 1.5L), QStringLiteral("1,5"));
    const QLocale systemLocale = QLocale::system();
    RegionalSettings::Reload();
    EXPECT_EQ(RegionalSettings::Current().DecimalSeparator,
              RegionalSettings::FromLocale(systemLocale).DecimalSeparator);
    EXPECT_EQ(RegionalSettings::CurrentDecimalSeparator(),
              RegionalSettings::Current().DecimalSeparator);
    RegionalSettings::SetCurrent(saved);
}

} // namespace
