#pragma once
// Pictures of the page storage as PDF image XObjects: uncompressed RGB
// samples in hexadecimal.
#include <QByteArray>
#include <QImage>

namespace Pdf {

class Output;

// Stored image data ("BMP" + bitmap, "ICO" + icon, "NIL") as an RGB picture;
// a null image when the data holds no picture. An icon is drawn on white, so
// its transparent parts come out as paper.
QImage DecodeImageData(const QByteArray& data);

// The picture as opaque RGB: transparent parts become paper white.
QImage FlattenPicture(const QImage& picture);

// Writes the XObject (its length object first) and returns its number.
int WriteImageXObject(Output& out, const QImage& image);

} // namespace Pdf
