#pragma once
// Value types shared by the report model, the page storage and the writers:
// colours, integer rectangles with exclusive right and bottom edges, fonts as
// the report forms describe them, and the millimetre to pixel rule.
#include <QString>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

// What a stored page may hold. Page files come from anywhere, so a page
// whose positions, sizes or fonts go beyond these is refused as corrupted
// when it is read; no report comes near them (an A4 page is 794 x 1123).
// Every position on a page and on a device also stays within the
// coordinate limit, so sums and differences of a few of them fit an int.
inline constexpr int kMaxPageCoordinate = 1 << 24; // pixels, about 4 km
inline constexpr int kMaxFontSize = 1600;          // points, letters half a metre tall
// Measured text widths are cut at this, far beyond any page.
inline constexpr int kMaxTextWidth = 1 << 28;

struct TRLColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const TRLColor&, const TRLColor&) = default;
};

inline constexpr TRLColor clBlack{0, 0, 0};
inline constexpr TRLColor clWhite{255, 255, 255};
inline constexpr TRLColor clSilver{192, 192, 192};
inline constexpr TRLColor clGray{128, 128, 128};
inline constexpr TRLColor clRed{255, 0, 0};
inline constexpr TRLColor clLime{0, 255, 0};
inline constexpr TRLColor clBlue{0, 0, 255};

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive: a 10 x 5 box at the origin is {0, 0, 10, 5}.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Intersects(const TRect& r) const {
        return Left < r.Right && r.Left < Right && Top < r.Bottom && r.Top < Bottom;
    }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    static TRect FromSize(int left, int top, int width, int height) {
        return {left, top, left + width, top + height};
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

enum TRLFontStyle : std::uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

enum class TRLFontPitch : std::uint8_t { fpDefault = 1, fpVariable = 2, fpFixed = 3 };

// A font as a report form names it: face, size in points at 96 pixels per
// inch, style bits and colour.
struct TRLFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10;
    std::uint8_t Style = 0; // TRLFontStyle bits
    TRLColor Color = clBlack;
    std::uint8_t Charset = 1;
    TRLFontPitch Pitch = TRLFontPitch::fpDefault;

    bool Bold() const { return (Style & fsBold) != 0; }
    bool Italic() const { return (Style & fsItalic) != 0; }
    // The character height in pixels: points scaled to 96 per inch, halves
    // rounded away from zero (10 pt is 13 px, 9 pt is 12 px).
    int PixelSize() const { return PointsToPixels(Size); }
    static int PointsToPixels(int points) {
        // Sizes beyond any font's are cut to the largest a page may hold.
        const long long magnitude =
            std::min<long long>((std::llabs(points) * 96 + 36) / 72, kMaxPageCoordinate);
        return static_cast<int>(points < 0 ? -magnitude : magnitude);
    }
    friend bool operator==(const TRLFont&, const TRLFont&) = default;
};

// Whole-number rounding with halves going to the even neighbour, the rule of
// every millimetre conversion and scaled coordinate in the engine. Values
// beyond an int are cut to the nearest int, and a value that is not a
// number gives 0: a scale taken from a damaged page must not make the
// conversion itself undefined.
inline int RoundHalfEven(double value) {
    if (!(value == value)) {
        return 0;
    }
    const double rounded = std::nearbyint(std::clamp(value, double(INT_MIN), double(INT_MAX)));
    return static_cast<int>(rounded);
}

// A position cut to the coordinate limit.
inline int ClampCoordinate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -kMaxPageCoordinate, kMaxPageCoordinate));
}

// Millimetres to pixels at 96 per inch: 10 mm is 38 px, 20 mm is 76 px.
inline int MMToPixels(double mm) {
    return RoundHalfEven(mm * 96.0 / 25.4);
}
