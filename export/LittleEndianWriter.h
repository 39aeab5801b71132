#pragma once
// The one byte writer behind the spreadsheet file: every integer and double
// goes out little-endian whatever the host, and fields written ahead of their
// value (record lengths, stream offsets) are patched in place later.
#include <QString>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

class LittleEndianWriter {
public:
    std::size_t Size() const noexcept { return bytes_.size(); }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return bytes_; }
    std::vector<std::uint8_t> Take() noexcept { return std::move(bytes_); }
    void Reserve(std::size_t n) { bytes_.reserve(n); }
    void Truncate(std::size_t n) { bytes_.resize(n); }

    void Put8(std::uint8_t v) { bytes_.push_back(v); }
    void Put16(std::uint16_t v) {
        Put8(static_cast<std::uint8_t>(v));
        Put8(static_cast<std::uint8_t>(v >> 8));
    }
    void Put32(std::uint32_t v) {
        Put16(static_cast<std::uint16_t>(v));
        Put16(static_cast<std::uint16_t>(v >> 16));
    }
    void Put64(std::uint64_t v) {
        Put32(static_cast<std::uint32_t>(v));
        Put32(static_cast<std::uint32_t>(v >> 32));
    }
    void PutDouble(double v) { Put64(std::bit_cast<std::uint64_t>(v)); }
    void PutBytes(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void PutFill(std::uint8_t value, std::size_t count) {
        bytes_.insert(bytes_.end(), count, value);
    }
    // The characters of a text as UTF-16LE, no length, no terminator.
    void PutUtf16(QStringView text) {
        PutUtf16(text.utf16(), static_cast<std::size_t>(text.size()));
    }
    void PutUtf16(const char16_t* chars, std::size_t count) {
        if constexpr (std::endian::native == std::endian::little) {
            const auto* raw = reinterpret_cast<const std::uint8_t*>(chars);
            bytes_.insert(bytes_.end(), raw, raw + count * 2);
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                Put16(chars[i]);
            }
        }
    }

    void Patch16(std::size_t at, std::uint16_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v);
        bytes_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void Patch32(std::size_t at, std::uint32_t v) {
        Patch16(at, static_cast<std::uint16_t>(v));
        Patch16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }

private:
    std::vector<std::uint8_t> bytes_;
};
