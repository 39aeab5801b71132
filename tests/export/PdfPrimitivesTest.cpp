// Numbers, strings and the image checksum as they go into the file.
#include "PdfOutput.h"
#include "Win1252.h"

#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

namespace {

TEST(PdfNumber, FourDecimalsWithoutTrailingZeros) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.75, "0.75"},  {595.5, "595.5"},       {842.25, "842.25"},   {12.0, "12"},
        {0.0, "0"},      {128 / 255.0, "0.502"}, {255 / 255.0, "1"},   {-1.5, "-1.5"},
        {-0.00001, "0"}, {1.23456, "1.2346"},    {100000.0, "100000"}, {-72.0, "-72"},
        {1e-5, "0"},     {0.1, "0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pdf::Number(c.value), c.text) << c.value;
    }
}

TEST(PdfNumber, IgnoresTheRegionalDecimalSeparator) {
    // A Brazilian locale writes 0,75; the file must still read 0.75.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool haveBrazil = std::setlocale(LC_ALL, "pt_BR.UTF-8") != nullptr;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(Pdf::Number(0.75), "0.75");
    EXPECT_EQ(Pdf::Number(1234567.5), "1234567.5");
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, saved.c_str());
    if (!haveBrazil) {
        GTEST_LOG_(INFO) << "pt_BR.UTF-8 not installed; checked with Qt's default locale only";
    }
}

TEST(PdfString, EscapesDelimitersAndControlBytes) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"Total (R$)", "Total \\(R$\\)"},
        {"C:\\dados", "C:\\\\dados"},
        {"a\nb", "a\\012b"},
        {std::string("\0", 1), "\\000"},
        {"\x1f\x7f", "\\037\\177"},
        {"\t", "\\011"},
        {"\x80\xe7\xff", "\x80\xe7\xff"}, // euro sign, c-cedilla, y-diaeresis stay raw
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pdf::Escaped(c.in), c.out) << c.in;
    }
}

TEST(PdfString, PortugueseTextBecomesWindows1252Bytes) {
    const QByteArray bytes = Win1252::Encode(QStringLiteral("ção"));
    EXPECT_EQ(Pdf::Escaped(std::string_view(bytes.constData(), bytes.size())), "\xE7\xE3o");
}

// The checksum as a plain bit-by-bit polynomial division, written apart from
// the table-driven one the writer uses.
std::uint16_t BitwiseChecksum(const std::string& data) {
    unsigned crc = 0;
    for (unsigned char b : data) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool carry = crc & 0x8000;
            crc = ((crc << 1) | ((b >> bit) & 1)) & 0xFFFF;
            if (carry) {
                crc ^= 0x1021;
            }
        }
    }
    return static_cast<std::uint16_t>(crc);
}

TEST(PdfImageChecksum, MatchesTheCcittPolynomial) {
    std::string mixed;
    for (int i = 0; i < 300; ++i) {
        mixed.push_back(static_cast<char>(i * 37 + 11));
    }
    // Every length around the eight-byte steps, and a long one.
    std::vector<std::string> samples = {"", "A", "123456789", std::string(1000, '\xAA')};
    for (std::size_t n = 2; n <= 19; ++n) {
        samples.push_back(mixed.substr(0, n));
    }
    samples.push_back(mixed);
    for (const auto& s : samples) {
        EXPECT_EQ(Pdf::ImageChecksum(s.data(), s.size()), BitwiseChecksum(s)) << s;
    }
    EXPECT_EQ(Pdf::ImageChecksum("\x01", 1), 1);
    EXPECT_NE(Pdf::ImageChecksum("AB", 2), Pdf::ImageChecksum("BA", 2));
}

} // namespace
