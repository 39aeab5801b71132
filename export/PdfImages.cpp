#include "PdfImages.h"

#include "PdfOutput.h"
#include "RLMetaFile.h"

#include <QPainter>
#include <array>

namespace Pdf {

namespace {

QImage OnWhite(const QImage& picture) {
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    return flat;
}

struct HexPairs {
    std::array<char, 512> digits{};
    HexPairs() {
        static const char kHex[] = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i) {
            digits[i * 2] = kHex[i >> 4];
            digits[i * 2 + 1] = kHex[i & 15];
        }
    }
};

void WriteSamples(Output& out, const QImage& image) {
    static const HexPairs kPairs;
    std::string& buf = out.Buffer();
    int sinceBreak = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (sinceBreak >= 80) {
                buf.append("\r\n", 2);
                sinceBreak = 0;
            }
            const QRgb px = row[x];
            buf.append(&kPairs.digits[qRed(px) * 2], 2);
            buf.append(&kPairs.digits[qGreen(px) * 2], 2);
            buf.append(&kPairs.digits[qBlue(px) * 2], 2);
            sinceBreak += 6;
        }
        out.Flushed();
    }
    out.WriteLine(">");
}

} // namespace

QImage DecodeImageData(const QByteArray& data) {
    return FlattenPicture(TRLImageObject::DecodePicture(data));
}

QImage FlattenPicture(const QImage& picture) {
    if (picture.isNull()) {
        return {};
    }
    if (picture.hasAlphaChannel()) {
        return OnWhite(picture);
    }
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

int WriteImageXObject(Output& out, const QImage& image) {
    const int length = out.Reserve();
    const int number = out.BeginObject();
    std::string& buf = out.Buffer();
    buf.append("/Type/XObject\r\n/Subtype/Image\r\n/Width ");
    AppendInteger(buf, image.width());
    buf.append("\r\n/Height ");
    AppendInteger(buf, image.height());
    buf.append("\r\n/ColorSpace/DeviceRGB\r\n/BitsPerComponent 8\r\n/Length ");
    Output::AppendRef(buf, length);
    buf.append("\r\n/Filter [/ASCIIHexDecode]\r\n>>\r\nstream\r\n");
    const long long start = out.Offset();
    WriteSamples(out, image);
    const long long end = out.Offset();
    out.WriteLine("endstream");
    out.WriteLine("endobj");
    out.WriteLengthObject(length, end - start);
    return number;
}

} // namespace Pdf
