#pragma once
// Content-stream operators for each kind of stored drawing object. Input is
// in storage units (96 per inch, y downwards); output is in points with y
// upwards, measured from the bottom of a page of the given height.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Pdf {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Point {
    int x = 0;
    int y = 0;
};

// Pen styles as the page storage numbers them.
enum PenStyle {
    kPenSolid = 1,
    kPenDash,
    kPenDot,
    kPenDashDot,
    kPenDashDotDot,
    kPenClear,
    kPenInsideFrame
};

struct Stroke {
    Rgb color;
    int style = kPenSolid;
    int width = 0; // storage units
};

class Content {
public:
    Content(std::string& out, int pageHeight) : out_(out), height_(pageHeight) {}

    // fill is false for a clear brush: the shape is then not filled ("n"
    // ends a rectangle, "s" an ellipse or polygon), so it cannot cover what
    // was drawn before it.
    void Pixel(const Box& bounds, Rgb color);
    void Line(const Stroke& pen, Point from, Point to);
    void Rectangle(const Stroke& pen, Rgb brush, const Box& bounds, bool fill = true);
    void FillRect(Rgb brush, const Box& bounds, bool fill = true);
    void Ellipse(const Stroke& pen, Rgb brush, const Box& bounds, bool fill = true);
    void Polygon(const Stroke& pen, Rgb brush, const std::vector<Point>& points, bool fill = true);
    void Polyline(const Stroke& pen, const std::vector<Point>& points);
    void Image(const Box& bounds, int imageIndex);
    void SetClip(const Box& bounds);
    void ResetClip();

    // One text run. x is the left end and baseline the baseline's y, in
    // storage units, already placed; bytes are Windows-1252.
    struct Text {
        Rgb color;
        Box bounds;
        bool clip = true;
        double x = 0;
        int baseline = 0;
        int fontIndex = 1;
        int fontSize = 0;
        std::string_view bytes;
    };
    // A line along a text run, in the text's colour: an underline or a
    // strike-out. rise is the height of the line's middle above the
    // baseline (negative below it); thickness and length, the run's width,
    // complete it. All in storage units.
    struct TextLine {
        double rise = 0;
        double thickness = 0;
        double length = 0;
    };
    // The run, then its lines, inside the run's clip.
    void DrawText(const Text& text, std::span<const TextLine> lines = {});

private:
    void Pt(double units);
    void Pt(long long units);
    void Colour(Rgb c);
    void XY(double x, double y);
    void XY(int x, int y);
    void Bounds(const Box& b);
    void PenLines(const Stroke& pen);
    void Put(std::string_view text); // text and CRLF
    void DrawTextLine(const Text& text, const TextLine& line);

    std::string& out_;
    int height_;
};

} // namespace Pdf
