#include "PdfOutput.h"

#include "Exception.h"

#include <array>
#include <charconv>
#include <cmath>

namespace Pdf {

void AppendNumber(std::string& out, double value) {
    char digits[64];
    auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 4);
    if (ec != std::errc() || !std::isfinite(value)) {
        out.push_back('0');
        return;
    }
    // Four decimals are always there: trim the zeros, then the point.
    while (end[-1] == '0') {
        --end;
    }
    if (end[-1] == '.') {
        --end;
    }
    const char* begin = digits;
    // A value that rounds to zero is written without its sign.
    if (end - begin == 2 && begin[0] == '-' && begin[1] == '0') {
        ++begin;
    }
    out.append(begin, static_cast<std::size_t>(end - begin));
}

std::string Number(double value) {
    std::string out;
    AppendNumber(out, value);
    return out;
}

void AppendInteger(std::string& out, long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendUnitsAsPoints(std::string& out, long long units) {
    const long long quarters = units * 3; // points * 4
    if (quarters < 0) {
        out.push_back('-');
    }
    const unsigned long long magnitude = quarters < 0
                                             ? 0ULL - static_cast<unsigned long long>(quarters)
                                             : static_cast<unsigned long long>(quarters);
    AppendInteger(out, static_cast<long long>(magnitude / 4));
    static const char* const kFractions[] = {"", ".25", ".5", ".75"};
    out.append(kFractions[magnitude % 4]);
}

void AppendColourComponent(std::string& out, unsigned char value) {
    struct Table {
        std::array<std::string, 256> text;
        Table() {
            for (int i = 0; i < 256; ++i) {
                AppendNumber(text[i], i / 255.0);
            }
        }
    };
    static const Table kTable;
    out.append(kTable.text[value]);
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    // Most texts need no escape at all: copy them in one go.
    const auto plain = [](unsigned char b) {
        return b >= 32 && b != 127 && b != '(' && b != ')' && b != '\\';
    };
    std::size_t run = 0;
    while (run < bytes.size() && plain(static_cast<unsigned char>(bytes[run]))) {
        ++run;
    }
    out.append(bytes.data(), run);
    bytes.remove_prefix(run);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '(' || b == ')' || b == '\\') {
            out.push_back('\\');
            out.push_back(ch);
        } else if (b < 32 || b == 127) {
            out.push_back('\\');
            out.push_back(static_cast<char>('0' + (b >> 6)));
            out.push_back(static_cast<char>('0' + ((b >> 3) & 7)));
            out.push_back(static_cast<char>('0' + (b & 7)));
        } else {
            out.push_back(ch);
        }
    }
}

std::string Escaped(std::string_view bytes) {
    std::string out;
    AppendEscaped(out, bytes);
    return out;
}

namespace {

constexpr std::array<std::uint16_t, 256> MakeCcittTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
        }
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCcittTable = MakeCcittTable();

} // namespace

// Shifting the bytes straight into the register, as the checksum is defined,
// gives the same value as the common message-times-x^16 form over all but
// the last two bytes, xor those two bytes. That form runs eight bytes per
// step with sliced tables; logos are checked on every page.
namespace {

struct SlicedTables {
    std::array<std::array<std::uint16_t, 256>, 8> t{};
    SlicedTables() {
        t[0] = kCcittTable;
        for (int k = 1; k < 8; ++k) {
            for (unsigned i = 0; i < 256; ++i) {
                const unsigned prev = t[k - 1][i];
                t[k][i] = static_cast<std::uint16_t>((prev << 8) ^ kCcittTable[prev >> 8]);
            }
        }
    }
};

unsigned TimesX16(const unsigned char* p, std::size_t n) {
    static const SlicedTables kSliced;
    const auto& t = kSliced.t;
    unsigned crc = 0;
    while (n >= 8) {
        const unsigned a = ((crc >> 8) ^ p[0]) & 0xFF;
        const unsigned b = (crc ^ p[1]) & 0xFF;
        crc = t[7][a] ^ t[6][b] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^
              t[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n-- > 0) {
        crc = ((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]) & 0xFFFF;
    }
    return crc;
}

} // namespace

std::uint16_t ImageChecksum(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (size < 2) {
        return size == 1 ? p[0] : 0;
    }
    const unsigned tail = (static_cast<unsigned>(p[size - 2]) << 8) | p[size - 1];
    return static_cast<std::uint16_t>(TimesX16(p, size - 2) ^ tail);
}

Output::~Output() {
    Abandon();
}

void Output::Open(const QString& fileName) {
    Abandon();
    file_ = std::make_unique<AtomicFile>(fileName);
    buffer_.clear();
    buffer_.reserve(kFlushSize * 2);
    written_ = 0;
    failure_ = nullptr;
    offsets_.clear();
}

// A failed write ends the page being drawn at once: there is no point in
// writing the rest of a long report to a full disk. What comes after (the
// document's end, which still runs) is counted but not written.
void Output::Flush() {
    if (buffer_.empty()) {
        return;
    }
    const auto size = static_cast<qint64>(buffer_.size());
    written_ += static_cast<long long>(buffer_.size());
    if (failure_ || !file_) {
        buffer_.clear();
        return;
    }
    try {
        file_->Write(buffer_.data(), size);
    } catch (const Exception&) {
        failure_ = std::current_exception();
        buffer_.clear();
        throw;
    }
    buffer_.clear();
}

void Output::Close() {
    if (!file_) {
        return;
    }
    // The file is gone whatever happens here: put in place, or dropped.
    try {
        Flush();
    } catch (...) {
        file_.reset();
        throw;
    }
    const std::unique_ptr<AtomicFile> file = std::move(file_);
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    file->Commit();
}

void Output::Abandon() {
    file_.reset();
    buffer_.clear();
}

int Output::Reserve() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size());
}

void Output::Record(int number) {
    offsets_[number - 1] = Offset();
}

int Output::BeginObject(int number) {
    if (number == 0) {
        number = Reserve();
    }
    Record(number);
    AppendInteger(buffer_, number);
    buffer_.append(" 0 obj <<\r\n");
    Flushed();
    return number;
}

void Output::BeginBareObject(int number) {
    Record(number);
    AppendInteger(buffer_, number);
    buffer_.append(" 0 obj\r\n");
    Flushed();
}

void Output::WriteLengthObject(int number, long long length) {
    BeginBareObject(number);
    AppendInteger(buffer_, length);
    buffer_.append("\r\n");
    EndBareObject();
}

void Output::AppendRef(std::string& out, int number) {
    AppendInteger(out, number);
    out.append(" 0 R");
}

} // namespace Pdf
