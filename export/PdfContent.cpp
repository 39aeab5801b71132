#include "PdfContent.h"

#include "PdfOutput.h"

#include <cmath>
#include <numbers>

namespace Pdf {

void Content::Put(std::string_view text) {
    out_.append(text);
    out_.append("\r\n", 2);
}

void Content::Pt(double units) {
    // Whole units, the usual case, are written without formatting a double.
    if (units == std::trunc(units) && std::abs(units) < 1e15) {
        AppendUnitsAsPoints(out_, static_cast<long long>(units));
    } else {
        AppendNumber(out_, ToPoints(units));
    }
}

void Content::Pt(long long units) {
    AppendUnitsAsPoints(out_, units);
}

void Content::Colour(Rgb c) {
    AppendColourComponent(out_, c.r);
    out_.push_back(' ');
    AppendColourComponent(out_, c.g);
    out_.push_back(' ');
    AppendColourComponent(out_, c.b);
}

void Content::XY(double x, double y) {
    Pt(x);
    out_.push_back(' ');
    Pt(height_ - y);
}

void Content::XY(int x, int y) {
    Pt(static_cast<long long>(x));
    out_.push_back(' ');
    Pt(static_cast<long long>(height_) - y);
}

void Content::Bounds(const Box& b) {
    Pt(static_cast<long long>(b.left));
    out_.push_back(' ');
    Pt(static_cast<long long>(height_) - b.bottom);
    out_.push_back(' ');
    Pt(static_cast<long long>(b.right) - b.left);
    out_.push_back(' ');
    Pt(static_cast<long long>(b.bottom) - b.top);
}

// Width, cap and dash. A clear pen still strokes, with width 0 and no dash.
void Content::PenLines(const Stroke& pen) {
    Pt(pen.style == kPenClear ? 0LL : static_cast<long long>(pen.width));
    Put(" w");
    Put("0 J");
    switch (pen.style) {
    case kPenDash:
        Put("[3] 0 d");
        break;
    case kPenDot:
        Put("[1] 0 d");
        break;
    case kPenDashDot:
        Put("[2 1] 0 d");
        break;
    case kPenDashDotDot:
        Put("[3 5] 6 d");
        break;
    case kPenClear:
        break;
    default:
        Put("[] 0 d");
        break;
    }
    Colour(pen.color);
    Put(" RG");
}

void Content::Pixel(const Box& bounds, Rgb color) {
    Put("0 w");
    Put("0 J");
    Colour(color);
    Put(" rg");
    Bounds(bounds);
    Put(" re");
    Put("f");
}

void Content::Line(const Stroke& pen, Point from, Point to) {
    PenLines(pen);
    XY(from.x, from.y);
    Put(" m");
    XY(to.x, to.y);
    Put(" l");
    Put("S");
}

void Content::Rectangle(const Stroke& pen, Rgb brush, const Box& bounds, bool fill) {
    PenLines(pen);
    Colour(brush);
    Put(" rg");
    Bounds(bounds);
    Put(" re");
    Put(fill ? "f" : "n");
}

void Content::FillRect(Rgb brush, const Box& bounds, bool fill) {
    Put("0 w");
    Colour(brush);
    Put(" rg");
    Bounds(bounds);
    Put(" re");
    Put(fill ? "f" : "n");
}

void Content::Ellipse(const Stroke& pen, Rgb brush, const Box& b, bool fill) {
    PenLines(pen);
    Colour(brush);
    Put(" rg");
    const double cx = (b.left + b.right) / 2.0;
    const double cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left) / 2.0;
    const double ry = (b.bottom - b.top) / 2.0;
    for (int i = 0; i < 36; ++i) {
        const double a = i * 2.0 * std::numbers::pi / 36.0;
        XY(cx + rx * std::cos(a), cy + ry * std::sin(a));
        out_.append(i == 0 ? " m " : " l ");
    }
    Put(fill ? "b" : "s");
}

void Content::Polygon(const Stroke& pen, Rgb brush, const std::vector<Point>& points, bool fill) {
    PenLines(pen);
    Colour(brush);
    Put(" rg");
    for (std::size_t i = 0; i < points.size(); ++i) {
        XY(points[i].x, points[i].y);
        Put(i == 0 ? " m " : " l ");
    }
    Put(fill ? "b" : "s");
}

void Content::Polyline(const Stroke& pen, const std::vector<Point>& points) {
    PenLines(pen);
    for (std::size_t i = 0; i < points.size(); ++i) {
        XY(points[i].x, points[i].y);
        Put(i == 0 ? " m " : " l ");
    }
    Put("S");
}

void Content::Image(const Box& b, int imageIndex) {
    Put("q");
    out_.append("1 0 0 1 ");
    XY(b.left, b.bottom);
    Put(" cm");
    Pt(static_cast<long long>(b.right) - b.left);
    out_.append(" 0 0 ");
    Pt(static_cast<long long>(b.bottom) - b.top);
    Put(" 0 0 cm");
    out_.append("/Image");
    AppendInteger(out_, imageIndex);
    Put(" Do");
    Put("Q");
}

void Content::SetClip(const Box& bounds) {
    Put("q");
    Bounds(bounds);
    Put(" re");
    Put("W n");
}

void Content::ResetClip() {
    Put("Q");
}

void Content::DrawText(const Text& t, std::span<const TextLine> lines) {
    // The hot path of a report page: literals are appended whole, CRLFs
    // included.
    out_.append("q\r\n");
    Colour(t.color);
    out_.append(" rg\r\n");
    if (t.clip) {
        Bounds(t.bounds);
        out_.append(" re\r\nW n\r\n");
    }
    out_.append("BT\r\n/F");
    AppendInteger(out_, t.fontIndex);
    out_.push_back(' ');
    AppendInteger(out_, t.fontSize);
    out_.append(" Tf\r\n");
    XY(t.x, static_cast<double>(t.baseline));
    out_.append(" Td\r\n(");
    AppendEscaped(out_, t.bytes);
    out_.append(") Tj\r\nET\r\n");
    for (const TextLine& line : lines) {
        DrawTextLine(t, line);
    }
    out_.append("Q\r\n");
}

// Stroked with butt ends, so the line ends where the run does.
void Content::DrawTextLine(const Text& t, const TextLine& line) {
    Pt(line.thickness);
    Put(" w");
    Put("0 J");
    Put("[] 0 d");
    Colour(t.color);
    Put(" RG");
    const double y = t.baseline - line.rise;
    XY(t.x, y);
    Put(" m");
    XY(t.x + line.length, y);
    Put(" l");
    Put("S");
}

} // namespace Pdf
