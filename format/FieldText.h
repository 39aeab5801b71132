#pragma once
// Display texts of database fields: a decimal or date-time field shows its
// value through its display format, or its plain text without one.
#include <QString>
#include <cstdint>

// A decimal field. A value that its display format cannot write (a pattern
// that is too long, say) shows "(Overflow)" instead of raising.
QString DecimalFieldText(const QString& displayFormat, std::int64_t amount);

enum class DateFieldKind { Date, DateTime };

// A date field without display format shows the short date pattern, a
// date-and-time field the token c.
QString DateFieldText(const QString& displayFormat, double value, DateFieldKind kind);
