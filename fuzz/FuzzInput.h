#pragma once
// Takes a fuzz input apart: fixed-size values from the front, then the rest
// as text. Missing bytes read as zeros, so every input means something.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() {
        std::uint8_t b = 0;
        Copy(&b, 1);
        return b;
    }
    // The raw bytes of a value of a plain type (integers, floating point).
    template <typename T> T Value(std::size_t bytes = sizeof(T)) {
        T value{};
        Copy(&value, bytes < sizeof(T) ? bytes : sizeof(T));
        return value;
    }
    // What is left, as UTF-8 (bytes that are not UTF-8 become replacement
    // characters, so Latin-1 texts are reached through their UTF-8 form).
    QString RestAsText() {
        const auto* at = reinterpret_cast<const char*>(data_ + pos_);
        const auto n = static_cast<qsizetype>(size_ - pos_);
        pos_ = size_;
        return QString::fromUtf8(at, n);
    }
    // The rest cut in two at the first zero byte (or all in the first).
    void RestAsTwoTexts(QString& first, QString& second) {
        const QString all = RestAsText();
        const qsizetype cut = all.indexOf(QChar(0));
        first = cut < 0 ? all : all.left(cut);
        second = cut < 0 ? QString() : all.mid(cut + 1);
    }

private:
    void Copy(void* to, std::size_t n) {
        const std::size_t left = size_ - pos_;
        const std::size_t taken = n < left ? n : left;
        std::memcpy(to, data_ + pos_, taken);
        pos_ += taken;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
