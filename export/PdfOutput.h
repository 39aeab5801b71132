#pragma once
// The byte-level side of the PDF writer: numbers, strings, and an output that
// counts every byte it writes so the cross-reference table can be written in
// the same forward pass, without seeking back.
#include "AtomicFile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Pdf {

// Four decimals, a point, no exponent or grouping, trailing zeros and a
// trailing point removed: 12.0 -> "12", 128/255 -> "0.502". The same on every
// machine, whatever the regional settings.
void AppendNumber(std::string& out, double value);
std::string Number(double value);

void AppendInteger(std::string& out, long long value);

// Storage units to points by the same rule, for whole units: u * 0.75 is
// exact in binary, so it is written from integers without formatting a
// double ("0.75", "595.5", "842.25", "-1.5").
void AppendUnitsAsPoints(std::string& out, long long units);

// A colour byte as a component c / 255 by the number rule ("0.502", "1").
void AppendColourComponent(std::string& out, unsigned char value);

// A string for "( ... )": "(", ")" and "\" get a backslash, bytes below 32 and
// 127 become a backslash and three octal digits; everything else, bytes above
// 127 included, is copied as it is (Windows-1252, matching WinAnsiEncoding).
void AppendEscaped(std::string& out, std::string_view bytes);
std::string Escaped(std::string_view bytes);

// Storage units (96 per inch) to points.
inline double ToPoints(double units) {
    return units / 96.0 * 72.0;
}

// The key of the image cache: a 16-bit CCITT (0x1021) checksum of the stored
// image data.
std::uint16_t ImageChecksum(const char* data, std::size_t size);

// Writes the file and keeps the numbers of objects and where each one starts.
// Lines end with CRLF. The bytes go to a temporary file that takes the
// file's name only when the document is complete (AtomicFile): until then,
// and after any failure, a file of that name stays as it was.
class Output {
public:
    Output() = default;
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Creates the temporary file; throws Exception when it cannot.
    void Open(const QString& fileName);
    // Writes what is buffered and puts the complete file in place of the
    // named one; throws Exception when a write failed or it cannot.
    void Close();
    // Drops what was written without reporting errors (an abandoned run):
    // the named file stays as it was.
    void Abandon();
    bool IsOpen() const { return file_ != nullptr; }

    long long Offset() const { return written_ + static_cast<long long>(buffer_.size()); }

    // Direct access for the hot paths: append, then call Flushed().
    std::string& Buffer() { return buffer_; }
    void Flushed() {
        if (buffer_.size() >= kFlushSize) {
            Flush();
        }
    }

    void Write(std::string_view text) {
        buffer_.append(text);
        Flushed();
    }
    void WriteLine(std::string_view text) {
        buffer_.append(text);
        buffer_.append("\r\n", 2);
        Flushed();
    }
    void EndLine() { WriteLine({}); }

    // Object numbers. Reserve hands out the next number without writing.
    int Reserve();
    int ObjectCount() const { return static_cast<int>(offsets_.size()); }
    long long ObjectOffset(int number) const { return offsets_[number - 1]; }

    // "n 0 obj <<" after recording where n starts; 0 takes the next number.
    int BeginObject(int number = 0);
    void EndObject() { WriteLine(">> endobj"); }
    // "n 0 obj" / "endobj" for the stream length objects.
    void BeginBareObject(int number);
    void EndBareObject() { WriteLine("endobj"); }
    // A length object holding one integer.
    void WriteLengthObject(int number, long long length);

    static void AppendRef(std::string& out, int number);

    // Forgets every object number (the start of a new document).
    void ResetObjects() { offsets_.clear(); }

private:
    static constexpr std::size_t kFlushSize = 1 << 16;
    void Flush();
    void Record(int number);

    std::unique_ptr<AtomicFile> file_;
    std::string buffer_;
    long long written_ = 0;
    std::vector<long long> offsets_;
    // The first write error; later writes are dropped and Close raises it
    // again, as it was raised.
    std::exception_ptr failure_;
};

} // namespace Pdf
