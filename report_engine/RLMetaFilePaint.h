#pragma once
// State of one PaintTo call: the painter, the scale into the target
// rectangle and the clip stack the objects push and pop. Kept apart from the
// surface so that painting never changes the surface.
#include "RLMetaFile.h"

#include <QRawFont>
#include <map>
#include <vector>

// Extra pixels after each character of a justified text: its spaces are
// widened one pixel at a time, from the last space backwards, until the
// text is as wide as the room available.
std::vector<int> JustifyExtra(const QString& text, int available, int width);

struct TRLPaintContext {
    TRLPaintContext(QPainter& p, const TRLGraphicSurface& s, const TRect& r);

    QPainter& painter;
    const TRLGraphicSurface& surface;
    TRect rect;
    double sx = 1.0;
    double sy = 1.0;
    TRect clip;
    std::vector<TRect> clipStack;
    std::map<QString, QRawFont> fonts;

    int X(int x) const;
    int Y(int y) const;
    TRect Map(const TRect& r) const;
    void ApplyClip();
    QRawFont RawFont(const TRLFont& font, int pixelSize);
};
