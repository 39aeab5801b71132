#pragma once
// Helpers shared by the spreadsheet tests: reading records back from a
// workbook stream, building pages, and running the independent readers.
#include "RLXLSFilter.h"
#include "RegionalSettings.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

namespace xlstest {

// The engine's texts follow the system locale's language, chosen at first
// use; the program runs under Brazilian settings, and so do these tests.
inline const bool brazilianLocale = [] {
    qputenv("LC_ALL", QByteArrayLiteral("pt_BR.UTF-8"));
    return true;
}();

// Brazilian separators (decimal comma) while it lives.
class BrazilianSeparators {
public:
    BrazilianSeparators() : saved_(RegionalSettings::Current()) {
        RegionalSettings s = saved_;
        s.DecimalSeparator = u',';
        s.ThousandSeparator = u'.';
        RegionalSettings::SetCurrent(s);
    }
    ~BrazilianSeparators() { RegionalSettings::SetCurrent(saved_); }
    BrazilianSeparators(const BrazilianSeparators&) = delete;
    BrazilianSeparators& operator=(const BrazilianSeparators&) = delete;

private:
    RegionalSettings saved_;
};

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(const char* hex) {
    Bytes out;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (const char* p = hex; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(nibble(p[0]) * 16 + nibble(p[1])));
        p += 2;
    }
    return out;
}

struct Record {
    std::uint16_t Id;
    std::size_t Pos; // of the header in the stream
    Bytes Data;
    std::uint16_t U16(std::size_t at) const { return std::uint16_t(Data[at] | Data[at + 1] << 8); }
    std::uint32_t U32(std::size_t at) const { return U16(at) | std::uint32_t(U16(at + 2)) << 16; }
};

inline std::vector<Record> Records(std::span<const std::uint8_t> s) {
    std::vector<Record> out;
    for (std::size_t at = 0; at + 4 <= s.size();) {
        const std::uint16_t id = std::uint16_t(s[at] | s[at + 1] << 8);
        const std::size_t len = s[at + 2] | s[at + 3] << 8;
        out.push_back({id, at, Bytes(s.begin() + at + 4, s.begin() + at + 4 + len)});
        at += 4 + len;
    }
    return out;
}

inline std::vector<Record> OfId(const std::vector<Record>& all, std::uint16_t id) {
    std::vector<Record> out;
    for (const auto& r : all) {
        if (r.Id == id) {
            out.push_back(r);
        }
    }
    return out;
}

inline TRLXLSPageText Text(int left, int top, int right, int bottom, const QString& text) {
    TRLXLSPageText t;
    t.Left = left;
    t.Top = top;
    t.Right = right;
    t.Bottom = bottom;
    t.Text = text;
    return t;
}

// Two report pages: a title, a merged heading, a two-line text, amounts as text.
std::vector<TRLXLSPage> TwoReportPages();

// Runs the python reader script on a file; answers its JSON (or fails the test).
QJsonObject Dump(const QString& file);
// Converts every sheet of the file to CSV with LibreOffice; answers the sheets' texts.
QStringList LibreOfficeCsv(const QString& file, QString* log);

} // namespace xlstest
