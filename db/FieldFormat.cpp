#include "FieldFormat.h"

#include "Exception.h"
#include "FieldText.h"
#include "FormatDate.h"
#include "FormatNumber.h"
#include "RegionalSettings.h"

#include <cmath>

namespace FieldFormat {

QString FixedText(const QString& pattern, std::int64_t amount) {
    return DecimalFieldText(pattern, amount);
}

QString NumberText(const QString& pattern, long double value) {
    return FormatNumberText(pattern, value);
}

QString DateText(const QString& pattern, double dateTime) {
    return FormatDateText(pattern, dateTime);
}

QString PlainDate(double dateTime) {
    return DateFieldText(QString(), dateTime, DateFieldKind::Date);
}

QString PlainTime(double dateTime) {
    return FormatDateText(QStringLiteral("tt"), dateTime);
}

QString PlainDateTime(double dateTime) {
    return DateFieldText(QString(), dateTime, DateFieldKind::DateTime);
}

QString PlainScaled(std::int64_t unscaled, int scale) {
    if (scale <= 0) {
        return IntToText(unscaled) + QString(-scale, u'0');
    }
    if (scale <= 4) {
        std::int64_t factor = 1;
        for (int i = scale; i < 4; ++i) {
            factor *= 10;
        }
        return FixedToText(unscaled * factor);
    }
    // More decimals than a currency value holds: written digit by digit.
    QString digits = IntToText(unscaled < 0 ? -unscaled : unscaled).rightJustified(scale + 1, u'0');
    QString fraction = digits.right(scale);
    while (fraction.endsWith(u'0')) {
        fraction.chop(1);
    }
    QString out =
        (unscaled < 0 ? QStringLiteral("-") : QString()) + digits.left(digits.size() - scale);
    if (!fraction.isEmpty()) {
        out += RegionalSettings::Current().DecimalSeparator + fraction;
    }
    return out;
}

QString PlainFloat(double value) {
    return FloatToText(static_cast<long double>(value));
}

double ParseDateTime(const QString& text) {
    return ::ParseDateTime(text);
}

bool ParseCurrency(const QString& text, std::int64_t& amount) {
    QString t = text.trimmed();
    t.replace(RegionalSettings::Current().DecimalSeparator, u'.');
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 9.2e14) {
        return false;
    }
    amount = std::llround(v * 10000.0);
    return true;
}

} // namespace FieldFormat
