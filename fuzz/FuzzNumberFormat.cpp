// Number patterns and values through both formatting operations and the
// general format, and texts through the spreadsheet writer's reading of
// numbers. A pattern is accepted or refused with "Format string too long"
// and nothing else may happen.
//
// Input: a settings choice (1 byte), a fixed-point amount (8 bytes), an
// extended value (10 bytes: any bit pattern, the odd ones included), then
// the pattern; after a zero byte, a text read as a spreadsheet cell.
#include "Exception.h"
#include "FormatNumber.h"
#include "FuzzInput.h"
#include "FuzzSettings.h"
#include "RLXLSFilter.h"
#include "RLXLSWorkbook.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kLongestPattern = 224;

template <typename Format> void ExpectContract(const QString& pattern, Format format) {
    try {
        const QString text = format();
        if (pattern.size() > kLongestPattern) {
            qFatal("a pattern of %lld characters was accepted",
                   static_cast<long long>(pattern.size()));
        }
        // Every placeholder writes at most the 18 digits of a value and a
        // separator, every other character itself.
        if (text.size() > 64 + 4 * pattern.size()) {
            qFatal("%lld characters written", static_cast<long long>(text.size()));
        }
    } catch (const EConvertError& e) {
        if (pattern.size() <= kLongestPattern ||
            e.Message() != QStringLiteral("Format string too long")) {
            qFatal("unexpected refusal: %s", qPrintable(e.Message()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const RegionalSettings& settings = FuzzSettings(in.Byte());
    const auto amount = in.Value<std::int64_t>();
    const auto value = in.Value<long double>(10);
    QString pattern, cell;
    in.RestAsTwoTexts(pattern, cell);

    ExpectContract(pattern, [&] { return FormatNumberText(pattern, value, settings); });
    ExpectContract(pattern, [&] { return FormatFixedText(pattern, amount, settings); });
    FloatToText(value, settings);
    FixedToText(amount, settings);
    IntToText(amount);

    TRLXLSRange range;
    XLS::SetCellValue(range, cell, true, settings.DecimalSeparator);
    return 0;
}
