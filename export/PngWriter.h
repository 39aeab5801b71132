#pragma once
// A small PNG encoder for page images. Pages are mostly white with dark
// text, so they compress well with the fastest deflate setting and no
// per-row filter search; a general encoder spends most of its time trying
// filters these images do not need. Every chunk has its own function, in
// file order.
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

namespace PNG {

// Encodes images one after the other, keeping its compression state and
// buffers from one image to the next: setting them up afresh costs more
// than compressing a page. One encoder serves one thread at a time.
class Encoder {
public:
    Encoder();
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // The whole file for an opaque image (any format QImage converts to
    // RGB32): 8-bit grey when every pixel is a grey, else 8-bit RGB. The
    // image's dots per metre become the file's pixel size. Valid until the
    // next call.
    const QByteArray& Encode(const QImage& image);

    // One or more IDAT chunks holding the image's rows, deflated.
    void AppendIDAT(QByteArray& out, const QImage& rgb32, bool grey);

private:
    struct Stream;
    void Deflate(QByteArray& out, const unsigned char* data, std::size_t size, bool finish);
    void OpenIDAT(QByteArray& out);
    void CloseIDAT(QByteArray& out);

    std::unique_ptr<Stream> stream_;
    std::vector<unsigned char> row_;
    QByteArray file_;
    qsizetype idat_ = -1; // where the open IDAT chunk starts in the output
};

// The same with an encoder of its own.
QByteArray Encode(const QImage& image);

// The other chunks, for the encoder and for tests.
void AppendSignature(QByteArray& out);
void AppendChunk(QByteArray& out, const char type[4], const QByteArray& data);
void AppendIHDR(QByteArray& out, int width, int height, bool grey);
void AppendPHYs(QByteArray& out, int dotsPerMeterX, int dotsPerMeterY);
void AppendIEND(QByteArray& out);

// Whether every pixel of an RGB32 image has equal red, green and blue.
bool IsGrey(const QImage& rgb32);

} // namespace PNG
