#include "RLStorageDump.h"
#include "RLMetaFile.h"

#include <QImage>

namespace {

QString Box(const TRect& r) {
    return QStringLiteral("[%1,%2,%3,%4]").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

QString Hex(TRLColor c) {
    return QStringLiteral("#%1%2%3")
        .arg(c.Red, 2, 16, QLatin1Char('0'))
        .arg(c.Green, 2, 16, QLatin1Char('0'))
        .arg(c.Blue, 2, 16, QLatin1Char('0'));
}

QString BrushText(const TRLMetaBrush& b) {
    static const char* const styles[] = {"?",     "solid", "clear", "horizontal", "vertical",
                                         "fdiag", "bdiag", "cross", "diagcross"};
    const int style = static_cast<int>(b.Style);
    return QStringLiteral("brush %1 %2")
        .arg(QLatin1String(style >= 1 && style <= 8 ? styles[style] : "?"), Hex(b.Color));
}

QString PenText(const TRLMetaPen& p) {
    return QStringLiteral("pen %1 w%2 %3")
        .arg(static_cast<int>(p.Style))
        .arg(p.Width)
        .arg(Hex(p.Color));
}

QString Quoted(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('"'), QLatin1String("\\\""));
    out.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    out.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString TextLine(const TRLTextObject& t) {
    static const char* const aligns[] = {"?", "left", "right", "center", "justify"};
    static const char* const layouts[] = {"?", "top", "bottom", "center", "justify"};
    const int a = static_cast<int>(t.Alignment);
    const int l = static_cast<int>(t.Layout);
    const TRLFont font = t.DisplayFont();
    QString style;
    style += font.Style & fsBold ? QLatin1String("b") : QLatin1String("");
    style += font.Style & fsItalic ? QLatin1String("i") : QLatin1String("");
    style += font.Style & fsUnderline ? QLatin1String("u") : QLatin1String("");
    style += font.Style & fsStrikeOut ? QLatin1String("s") : QLatin1String("");
    return QStringLiteral("text %1 at %2,%3 %4/%5 flags %6 \"%7\" %8%9 %10 %11 %12")
        .arg(Box(t.BoundsRect))
        .arg(t.Origin.X)
        .arg(t.Origin.Y)
        .arg(QLatin1String(a >= 1 && a <= 4 ? aligns[a] : "?"),
             QLatin1String(l >= 1 && l <= 4 ? layouts[l] : "?"))
        .arg(t.TextFlags)
        .arg(font.Name)
        .arg(font.Size)
        .arg(style.isEmpty() ? QString() : QLatin1Char(' ') + style)
        .arg(Hex(font.Color), BrushText(t.Brush), Quoted(t.Text));
}

QString ObjectLine(const TRLGraphicObject& o) {
    switch (o.Kind()) {
    case TRLGraphicObjectKind::Text:
        return TextLine(static_cast<const TRLTextObject&>(o));
    case TRLGraphicObjectKind::FillRect:
        return QStringLiteral("fill %1 %2")
            .arg(Box(o.BoundsRect), BrushText(static_cast<const TRLFillRectObject&>(o).Brush));
    case TRLGraphicObjectKind::Rectangle: {
        const auto& r = static_cast<const TRLRectangleObject&>(o);
        return QStringLiteral("rect %1 %2 %3")
            .arg(Box(o.BoundsRect), PenText(r.Pen), BrushText(r.Brush));
    }
    case TRLGraphicObjectKind::Image: {
        const auto& i = static_cast<const TRLImageObject&>(o);
        const QImage picture = i.Picture();
        return QStringLiteral("image %1 %2 %3x%4")
            .arg(Box(o.BoundsRect), QString::fromLatin1(i.Data.left(3)))
            .arg(picture.width())
            .arg(picture.height());
    }
    case TRLGraphicObjectKind::SetClipRect:
        return QStringLiteral("clip %1").arg(Box(o.BoundsRect));
    case TRLGraphicObjectKind::ResetClipRect:
        return QStringLiteral("unclip");
    case TRLGraphicObjectKind::Line: {
        const auto& l = static_cast<const TRLLineObject&>(o);
        return QStringLiteral("line %1,%2-%3,%4 %5")
            .arg(l.FromPoint.X)
            .arg(l.FromPoint.Y)
            .arg(l.ToPoint.X)
            .arg(l.ToPoint.Y)
            .arg(PenText(l.Pen));
    }
    case TRLGraphicObjectKind::Pixel:
        return QStringLiteral("pixel %1 %2")
            .arg(Box(o.BoundsRect), Hex(static_cast<const TRLPixelObject&>(o).Color));
    case TRLGraphicObjectKind::Ellipse:
        return QStringLiteral("ellipse %1").arg(Box(o.BoundsRect));
    case TRLGraphicObjectKind::Polygon:
        return QStringLiteral("polygon %1").arg(Box(o.BoundsRect));
    case TRLGraphicObjectKind::Polyline:
        return QStringLiteral("polyline %1").arg(Box(o.BoundsRect));
    }
    return QStringLiteral("object %1").arg(Box(o.BoundsRect));
}

} // namespace

QString DumpSurface(const TRLGraphicSurface& surface, int pageNumber) {
    QString out;
    for (int i = 0; i < surface.ObjectCount(); ++i) {
        out += QString::number(pageNumber) + QLatin1Char(' ') + ObjectLine(*surface.Objects(i)) +
               QLatin1Char('\n');
    }
    return out;
}

QString DumpStorage(TRLGraphicStorage& storage) {
    QString out = QStringLiteral("storage %1 pages\n").arg(storage.PageCount());
    for (const QString& macro : storage.Macros()) {
        out += QLatin1String("  ") + macro + QLatin1Char('\n');
    }
    for (int i = 0; i < storage.PageCount(); ++i) {
        const auto page = storage.GetPage(i);
        if (!page) {
            out += QStringLiteral("page %1 unreadable\n").arg(i + 1);
            continue;
        }
        out += QStringLiteral("page %1 %2x%3 %4\n")
                   .arg(i + 1)
                   .arg(page->Width())
                   .arg(page->Height())
                   .arg(page->Macros().join(QLatin1Char(' ')));
        out += DumpSurface(*page, i + 1);
    }
    return out;
}
