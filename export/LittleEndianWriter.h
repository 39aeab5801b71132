#pragma once
// The one byte writer behind the spreadsheet file: every integer and double
// goes out little-endian whatever the host, and fields written ahead of their
// value (record lengths, stream offsets) are patched in place later.
#include <QString>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

class LittleEndianWriter {
public:
    std::size_t Size() const noexcept { return size_; }
    std::span<const std::uint8_t> Data() const noexcept { return {buffer_.data(), size_}; }
    // A copy of what was written.
    std::vector<std::uint8_t> Bytes() const {
        return {buffer_.begin(), buffer_.begin() + Offset(size_)};
    }
    std::vector<std::uint8_t> Take() noexcept {
        buffer_.resize(size_);
        size_ = 0;
        return std::move(buffer_);
    }
    // Room for n bytes in all, set aside but not yet touched.
    void Reserve(std::size_t n) { buffer_.reserve(n); }
    void Truncate(std::size_t n) { size_ = std::min(size_, n); }

    void Put8(std::uint8_t v) { *Room(1) = v; }
    void Put16(std::uint16_t v) { Store(Room(2), v); }
    void Put32(std::uint32_t v) { Store(Room(4), v); }
    void Put64(std::uint64_t v) { Store(Room(8), v); }
    void PutDouble(double v) { Put64(std::bit_cast<std::uint64_t>(v)); }
    void PutBytes(std::span<const std::uint8_t> data) {
        if (!data.empty()) {
            std::memcpy(Room(data.size()), data.data(), data.size());
        }
    }
    void PutFill(std::uint8_t value, std::size_t count) {
        if (count) {
            std::memset(Room(count), value, count);
        }
    }
    // The characters of a text as UTF-16LE, no length, no terminator.
    void PutUtf16(QStringView text) {
        PutUtf16(text.utf16(), static_cast<std::size_t>(text.size()));
    }
    void PutUtf16(const char16_t* chars, std::size_t count) {
        std::uint8_t* out = Room(count * 2);
        if constexpr (std::endian::native == std::endian::little) {
            if (count) {
                std::memcpy(out, chars, count * 2);
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                Store(out + 2 * i, static_cast<std::uint16_t>(chars[i]));
            }
        }
    }

    void Patch16(std::size_t at, std::uint16_t v) { Store(buffer_.data() + at, v); }
    void Patch32(std::size_t at, std::uint32_t v) { Store(buffer_.data() + at, v); }

private:
    static std::ptrdiff_t Offset(std::size_t n) { return static_cast<std::ptrdiff_t>(n); }

    template <class T> static void Store(std::uint8_t* out, T v) {
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            out[i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    }

    // Space for n more bytes. The buffer is cleared a step ahead of the
    // writing, so memory reserved but never written is never touched; past
    // its capacity it at least doubles.
    std::uint8_t* Room(std::size_t n) {
        if (size_ + n > buffer_.size()) {
            constexpr std::size_t step = std::size_t(64) << 10;
            buffer_.resize(
                std::max(size_ + n, buffer_.size() < buffer_.capacity()
                                        ? std::min(buffer_.size() + step, buffer_.capacity())
                                        : buffer_.size() * 2));
        }
        std::uint8_t* out = buffer_.data() + size_;
        size_ += n;
        return out;
    }

    std::vector<std::uint8_t> buffer_;
    std::size_t size_ = 0;
};
