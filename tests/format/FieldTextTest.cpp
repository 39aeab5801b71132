#include "FieldText.h"

#include "FormatTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FieldText, DecimalFields) {
    ScopedSettings settings(BrazilianSettings());
    EXPECT_EQ(DecimalFieldText(QStringLiteral("###,###,##0.00 ;###,###,##0.00-; "), -12345000),
              QStringLiteral("1.234,50-"));
    EXPECT_EQ(DecimalFieldText(QString(), 12345000), QStringLiteral("1234,5"));
    EXPECT_EQ(DecimalFieldText(QString(225, u'0'), 1), QStringLiteral("(Overflow)"));
}

TEST(FieldText, DateFields) {
    ScopedSettings settings(BrazilianSettings());
    const double value = DateTime::EncodeDate(2015, 3, 7) + 0.5;
    EXPECT_EQ(DateFieldText(QStringLiteral("mm/yyyy"), value, DateFieldKind::Date),
              QStringLiteral("03/2015"));
    EXPECT_EQ(DateFieldText(QString(), value, DateFieldKind::Date), QStringLiteral("07/03/2015"));
    EXPECT_EQ(DateFieldText(QString(), value, DateFieldKind::DateTime),
              QStringLiteral("07/03/2015 12:00:00"));
}

} // namespace
