#pragma once
// Where the ink of a band of a painted page lies, in page pixels: the page
// images and the preview are measured against another picture of the same
// page this way, whatever their resolution.
#include <QImage>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cmath>

namespace pageink {

// The ink's outer edges in a band of the page, in page pixels, where the
// page is shown in `area` of the image.
struct Ink {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool found = false;
};

Ink InkIn(const QImage& image, const QRect& area, double scale, int bandTop, int bandBottom) {
    const int top = area.top() + static_cast<int>(std::floor(bandTop * scale));
    const int bottom = area.top() + static_cast<int>(std::ceil(bandBottom * scale));
    int l = INT_MAX, r = -1, t = INT_MAX, b = -1;
    for (int y = std::max(top, area.top()); y < std::min(bottom, area.bottom() + 1); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
        }
    }
    Ink ink;
    ink.found = r >= 0;
    ink.left = (l - area.left()) / scale;
    ink.right = (r + 1 - area.left()) / scale;
    ink.top = (t - area.top()) / scale;
    ink.bottom = (b + 1 - area.top()) / scale;
    return ink;
}

} // namespace pageink
