#include "FieldText.h"

#include "FormatDate.h"
#include "FormatNumber.h"

#include <exception>

QString DecimalFieldText(const QString& displayFormat, std::int64_t amount) {
    if (displayFormat.isEmpty()) {
        return FixedToText(amount);
    }
    try {
        return FormatFixedText(displayFormat, amount);
    } catch (const std::exception&) {
        return QStringLiteral("(Overflow)");
    }
}

QString DateFieldText(const QString& displayFormat, double value, DateFieldKind kind) {
    if (!displayFormat.isEmpty()) {
        return FormatDateText(displayFormat, value);
    }
    if (kind == DateFieldKind::Date) {
        return FormatDateText(QStringLiteral("ddddd"), value);
    }
    return FormatDateText(QStringLiteral("c"), value);
}
