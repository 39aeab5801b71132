#include "PngWriter.h"

#include "Exception.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr int IdatSize = 1 << 16;

void AppendU32(QByteArray& out, std::uint32_t v) {
    const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    out.append(bytes, 4);
}

} // namespace

namespace PNG {

void AppendSignature(QByteArray& out) {
    out.append("\x89PNG\r\n\x1a\n", 8);
}

void AppendChunk(QByteArray& out, const char type[4], const QByteArray& data) {
    AppendU32(out, static_cast<std::uint32_t>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* checked = reinterpret_cast<const Bytef*>(out.constData() + start);
    AppendU32(out,
              static_cast<std::uint32_t>(crc32(0, checked, static_cast<uInt>(out.size() - start))));
}

void AppendIHDR(QByteArray& out, int width, int height, bool grey) {
    QByteArray data;
    AppendU32(data, static_cast<std::uint32_t>(width));
    AppendU32(data, static_cast<std::uint32_t>(height));
    data.append(char(8));            // bits per sample
    data.append(char(grey ? 0 : 2)); // colour type: grey or RGB
    data.append(3, '\0');            // deflate, adaptive filtering, no interlace
    AppendChunk(out, "IHDR", data);
}

void AppendPHYs(QByteArray& out, int dotsPerMeterX, int dotsPerMeterY) {
    QByteArray data;
    AppendU32(data, static_cast<std::uint32_t>(dotsPerMeterX));
    AppendU32(data, static_cast<std::uint32_t>(dotsPerMeterY));
    data.append(char(1)); // the unit is the metre
    AppendChunk(out, "pHYs", data);
}

void AppendIEND(QByteArray& out) {
    AppendChunk(out, "IEND", QByteArray());
}

bool IsGrey(const QImage& rgb32) {
    for (int y = 0; y < rgb32.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
        for (int x = 0; x < rgb32.width(); ++x) {
            const QRgb p = pixels[x];
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) {
                return false;
            }
        }
    }
    return true;
}

struct Encoder::Stream {
    Stream() {
        if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) {
            throw Exception(QStringLiteral("cannot start compressing the image"));
        }
    }
    ~Stream() { deflateEnd(&z); }
    z_stream z{};
};

Encoder::Encoder() : stream_(std::make_unique<Stream>()) {}

Encoder::~Encoder() = default;

const QByteArray& Encoder::Encode(const QImage& image) {
    const QImage rgb32 = image.format() == QImage::Format_RGB32
                             ? image
                             : image.convertToFormat(QImage::Format_RGB32);
    const bool grey = IsGrey(rgb32);
    file_.resize(0);
    AppendSignature(file_);
    AppendIHDR(file_, rgb32.width(), rgb32.height(), grey);
    AppendPHYs(file_, rgb32.dotsPerMeterX(), rgb32.dotsPerMeterY());
    AppendIDAT(file_, rgb32, grey);
    AppendIEND(file_);
    return file_;
}

void Encoder::AppendIDAT(QByteArray& out, const QImage& rgb32, bool grey) {
    // Also after an image that failed half-way.
    deflateReset(&stream_->z);
    idat_ = -1;
    const int width = rgb32.width();
    const std::size_t samples = grey ? 1 : 3;
    row_.resize(1 + samples * static_cast<std::size_t>(width));
    row_[0] = 0; // no filter: these pages compress well as they are
    for (int y = 0; y < rgb32.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
        unsigned char* to = row_.data() + 1;
        for (int x = 0; x < width; ++x) {
            const QRgb p = pixels[x];
            if (grey) {
                *to++ = static_cast<unsigned char>(qRed(p));
            } else {
                *to++ = static_cast<unsigned char>(qRed(p));
                *to++ = static_cast<unsigned char>(qGreen(p));
                *to++ = static_cast<unsigned char>(qBlue(p));
            }
        }
        Deflate(out, row_.data(), row_.size(), false);
    }
    Deflate(out, nullptr, 0, true);
}

// Compresses the bytes straight into IDAT chunks of the output, closing a
// chunk when it is full; with finish, also the rest of the stream.
void Encoder::Deflate(QByteArray& out, const unsigned char* data, std::size_t size, bool finish) {
    z_stream& z = stream_->z;
    z.next_in = const_cast<unsigned char*>(data);
    z.avail_in = static_cast<uInt>(size);
    for (;;) {
        if (idat_ < 0) {
            OpenIDAT(out);
        }
        const qsizetype at = out.size();
        const qsizetype end = idat_ + 8 + IdatSize;
        if (at == end) {
            CloseIDAT(out);
            continue;
        }
        out.resize(end);
        z.next_out = reinterpret_cast<unsigned char*>(out.data() + at);
        z.avail_out = static_cast<uInt>(end - at);
        const int result = deflate(&z, finish ? Z_FINISH : Z_NO_FLUSH);
        out.resize(end - z.avail_out);
        if (result == Z_STREAM_ERROR) {
            throw Exception(QStringLiteral("cannot compress the image"));
        }
        if (finish && result == Z_STREAM_END) {
            CloseIDAT(out);
            return;
        }
        if (!finish && z.avail_in == 0 && z.avail_out != 0) {
            return;
        }
    }
}

void Encoder::OpenIDAT(QByteArray& out) {
    idat_ = out.size();
    out.append("\0\0\0\0IDAT", 8);
}

void Encoder::CloseIDAT(QByteArray& out) {
    const auto length = static_cast<std::uint32_t>(out.size() - idat_ - 8);
    QByteArray size;
    AppendU32(size, length);
    std::memcpy(out.data() + idat_, size.constData(), 4);
    const auto* checked = reinterpret_cast<const Bytef*>(out.constData() + idat_ + 4);
    AppendU32(out, static_cast<std::uint32_t>(crc32(0, checked, length + 4)));
    idat_ = -1;
}

QByteArray Encode(const QImage& image) {
    Encoder encoder;
    return encoder.Encode(image);
}

} // namespace PNG
