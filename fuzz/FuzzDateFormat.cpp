// Date patterns and values through FormatDateText, and texts through
// ParseDateTime and TryParseDate, as the selection screen and the report
// tool read the dates a user types. Writing never fails and never passes
// 256 characters; reading gives a date of the calendar or the documented
// conversion error.
//
// Input: a settings choice (1 byte), a date-time value (8 bytes: any bit
// pattern), then the pattern; after a zero byte, the text to read.
#include "DateTime.h"
#include "Exception.h"
#include "FormatDate.h"
#include "FuzzInput.h"
#include "FuzzSettings.h"

#include <cmath>
#include <cstdint>

namespace {

void ExpectADate(double value, const QString& text) {
    if (!std::isfinite(value) || value < DateTime::kMinDays - 1 || value > DateTime::kMaxDays + 1) {
        qFatal("\"%s\" read as %g", qPrintable(text), value);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const RegionalSettings& settings = FuzzSettings(in.Byte());
    const auto value = in.Value<double>();
    QString pattern, text;
    in.RestAsTwoTexts(pattern, text);

    const QString written = FormatDateText(pattern, value, settings);
    if (written.size() > 256) {
        qFatal("%lld characters written", static_cast<long long>(written.size()));
    }
    try {
        ExpectADate(ParseDateTime(text, settings), text);
    } catch (const EConvertError& e) {
        if (e.Message() != u'\'' + text + QStringLiteral("' is not a valid date and time")) {
            qFatal("unexpected refusal: %s", qPrintable(e.Message()));
        }
    }
    double date = 0;
    if (TryParseDate(text, date, settings)) {
        ExpectADate(date, text);
    }
    return 0;
}
