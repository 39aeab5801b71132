#include "TextMetrics.h"

#include "Exception.h"
#include "FontFiles.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace {

// Everything measurement needs from one font file, read once.
struct Face {
    QByteArray data;
    int unitsPerEm = 2048;
    int winAscent = 0;
    int winDescent = 0;
    TextMetrics::LineUnits lines;
    std::array<std::uint16_t, 65536> advance{}; // per UTF-16 code unit, font units
};

quint16 U16(const QByteArray& d, qsizetype at) {
    if (at < 0 || at + 2 > d.size()) {
        return 0;
    }
    return static_cast<quint16>((static_cast<quint8>(d[at]) << 8) | static_cast<quint8>(d[at + 1]));
}

int S16(const QByteArray& d, qsizetype at) {
    return static_cast<qint16>(U16(d, at));
}

quint32 U32(const QByteArray& d, qsizetype at) {
    return (static_cast<quint32>(U16(d, at)) << 16) | U16(d, at + 2);
}

// Offset of a table in the file, or -1.
qsizetype FindTable(const QByteArray& d, const char tag[4]) {
    const int count = U16(d, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype rec = 12 + 16 * i;
        if (d.mid(rec, 4) == QByteArray(tag, 4)) {
            return static_cast<qsizetype>(U32(d, rec + 8));
        }
    }
    return -1;
}

// Glyph of every BMP character from the Windows Unicode (3,1) format 4 cmap.
std::vector<std::uint16_t> ReadCmap(const QByteArray& d) {
    std::vector<std::uint16_t> glyphs(65536, 0);
    const qsizetype cmap = FindTable(d, "cmap");
    if (cmap < 0) {
        return glyphs;
    }
    const int subtables = U16(d, cmap + 2);
    for (int i = 0; i < subtables; ++i) {
        const qsizetype rec = cmap + 4 + 8 * i;
        const qsizetype sub = cmap + U32(d, rec + 4);
        if (U16(d, rec) != 3 || U16(d, rec + 2) != 1 || U16(d, sub) != 4) {
            continue;
        }
        const int segX2 = U16(d, sub + 6);
        const qsizetype ends = sub + 14;
        const qsizetype starts = ends + segX2 + 2;
        const qsizetype deltas = starts + segX2;
        const qsizetype ranges = deltas + segX2;
        for (int s = 0; s < segX2 / 2; ++s) {
            const int end = U16(d, ends + 2 * s);
            const int start = U16(d, starts + 2 * s);
            const int delta = U16(d, deltas + 2 * s);
            const int rangeOffset = U16(d, ranges + 2 * s);
            for (int c = start; c <= end && c < 0xFFFF; ++c) {
                int g = 0;
                if (rangeOffset == 0) {
                    g = (c + delta) & 0xFFFF;
                } else {
                    const qsizetype at = ranges + 2 * s + rangeOffset + 2 * (c - start);
                    g = U16(d, at);
                    if (g != 0) {
                        g = (g + delta) & 0xFFFF;
                    }
                }
                glyphs[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(g);
            }
        }
        break;
    }
    return glyphs;
}

// The strike-out from the OS/2 table, the underline from the post table.
// A file without a post table gets an underline as thick as its strike-out,
// its thickness below the baseline.
TextMetrics::LineUnits ReadLineUnits(const QByteArray& d, qsizetype os2) {
    TextMetrics::LineUnits lines;
    lines.StrikeOutThickness = S16(d, os2 + 26);
    lines.StrikeOutTop = S16(d, os2 + 28);
    const qsizetype post = FindTable(d, "post");
    if (post >= 0) {
        lines.UnderlineTop = S16(d, post + 8);
        lines.UnderlineThickness = S16(d, post + 10);
    } else {
        lines.UnderlineThickness = lines.StrikeOutThickness;
        lines.UnderlineTop = -lines.StrikeOutThickness;
    }
    return lines;
}

std::unique_ptr<Face> LoadFace(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Exception(QStringLiteral("Cannot open font file %1").arg(path));
    }
    auto face = std::make_unique<Face>();
    face->data = file.readAll();
    const QByteArray& d = face->data;
    const qsizetype head = FindTable(d, "head");
    const qsizetype hhea = FindTable(d, "hhea");
    const qsizetype hmtx = FindTable(d, "hmtx");
    const qsizetype os2 = FindTable(d, "OS/2");
    if (head < 0 || hhea < 0 || hmtx < 0 || os2 < 0) {
        throw Exception(QStringLiteral("Font file %1 lacks its metrics tables").arg(path));
    }
    face->unitsPerEm = U16(d, head + 18);
    face->winAscent = U16(d, os2 + 74);
    face->winDescent = U16(d, os2 + 76);
    face->lines = ReadLineUnits(d, os2);
    const int longMetrics = U16(d, hhea + 34);
    const auto glyphs = ReadCmap(d);
    for (std::size_t c = 0; c < glyphs.size(); ++c) {
        const int g = std::min<int>(glyphs[c], longMetrics - 1);
        face->advance[c] = U16(d, hmtx + 4 * g);
    }
    return face;
}

// The family that stands in for a face name: the metric twins of the
// faces the reports name.
QString Family(const QString& faceName) {
    const QString name = faceName.trimmed().toLower();
    if (name == QLatin1String("times new roman") || name == QLatin1String("liberation serif") ||
        name == QLatin1String("times")) {
        return QStringLiteral("Liberation Serif");
    }
    if (name == QLatin1String("courier new") || name == QLatin1String("liberation mono") ||
        name == QLatin1String("courier")) {
        return QStringLiteral("Liberation Mono");
    }
    return QStringLiteral("Liberation Sans");
}

const Face& LoadedFace(const QString& faceName, std::uint8_t style);

// Reports measure thousands of texts in the same few fonts: the last faces
// asked for on this thread are found without building a path or locking.
const Face& FaceFor(const QString& faceName, std::uint8_t style) {
    struct Recent {
        QString name;
        std::uint8_t style = 0;
        const Face* face = nullptr;
    };
    thread_local std::array<Recent, 4> recent;
    thread_local std::size_t next = 0;
    for (const Recent& r : recent) {
        // A font's name is mostly a copy of the one asked for last: the same
        // characters in memory need no comparing.
        if (r.face && r.style == style &&
            ((r.name.constData() == faceName.constData() && r.name.size() == faceName.size()) ||
             r.name == faceName)) {
            return *r.face;
        }
    }
    const Face& face = LoadedFace(faceName, style);
    recent[next] = {faceName, style, &face};
    next = (next + 1) % recent.size();
    return face;
}

const Face& LoadedFace(const QString& faceName, std::uint8_t style) {
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<Face>> faces;
    const QString path = TextMetrics::FontFilePath(faceName, style);
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = faces[path];
    if (!slot) {
        slot = LoadFace(path);
    }
    return *slot; // faces are never removed, so the reference stays valid
}

// Font units to whole pixels, halves up.
int Scale(int units, int pixelSize, int unitsPerEm) {
    const long long scaled = (2LL * units * pixelSize + unitsPerEm) / (2LL * unitsPerEm);
    return static_cast<int>(std::min<long long>(scaled, kMaxTextWidth));
}

// The size of a character in pixels, whatever its sign; a size from a
// damaged page is cut to the largest a page may hold.
int Magnitude(int pixelSize) {
    return static_cast<int>(std::min<long long>(std::llabs(pixelSize), kMaxPageCoordinate));
}

// The scaled advances of the first 256 characters at one pixel size: texts
// are measured character by character, and a division each is the bulk of it.
struct ScaledWidths {
    const Face* face = nullptr;
    int px = 0;
    std::array<int, 256> width{};
};

const ScaledWidths& WidthsFor(const Face& face, int px) {
    thread_local std::array<ScaledWidths, 4> recent;
    thread_local std::size_t next = 0;
    for (const ScaledWidths& w : recent) {
        if (w.face == &face && w.px == px) {
            return w;
        }
    }
    ScaledWidths& w = recent[next];
    next = (next + 1) % recent.size();
    w.face = &face;
    w.px = px;
    for (std::size_t c = 0; c < w.width.size(); ++c) {
        w.width[c] = Scale(face.advance[c], px, face.unitsPerEm);
    }
    return w;
}

// Cut at kMaxTextWidth: a long text at a huge size must not run past an int.
int Width(const Face& face, int px, const QString& text) {
    const ScaledWidths& scaled = WidthsFor(face, px);
    long long width = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        width +=
            c < scaled.width.size() ? scaled.width[c] : Scale(face.advance[c], px, face.unitsPerEm);
        if (width >= kMaxTextWidth) {
            return kMaxTextWidth;
        }
    }
    return static_cast<int>(width);
}

} // namespace

namespace TextMetrics {

QString FontFilePath(const QString& faceName, std::uint8_t style) {
    // Painting asks for every text drawn: each thread keeps what it found.
    thread_local std::map<std::pair<QString, std::uint8_t>, QString> paths;
    auto it = paths.find({faceName, style});
    if (it == paths.end()) {
        const QString path =
            FontFiles::Find(Family(faceName), (style & fsBold) != 0, (style & fsItalic) != 0,
                            QStringLiteral("fonts-liberation"));
        it = paths.emplace(std::make_pair(faceName, style), path).first;
    }
    return it->second;
}

QByteArray FontFileData(const QString& faceName, std::uint8_t style) {
    return FaceFor(faceName, style).data;
}

int AdvanceUnits(const QString& faceName, std::uint8_t style, char16_t ch) {
    return FaceFor(faceName, style).advance[ch];
}

int UnitsPerEm(const QString& faceName, std::uint8_t style) {
    return FaceFor(faceName, style).unitsPerEm;
}

LineUnits TextLineUnits(const QString& faceName, std::uint8_t style) {
    return FaceFor(faceName, style).lines;
}

int TextWidthAt(const TRLFont& font, int pixelSize, const QString& text) {
    return Width(FaceFor(font.Name, font.Style), Magnitude(pixelSize), text);
}

int AscentAt(const TRLFont& font, int pixelSize) {
    const Face& face = FaceFor(font.Name, font.Style);
    return Scale(face.winAscent, Magnitude(pixelSize), face.unitsPerEm);
}

int DescentAt(const TRLFont& font, int pixelSize) {
    const Face& face = FaceFor(font.Name, font.Style);
    return Scale(face.winDescent, Magnitude(pixelSize), face.unitsPerEm);
}

int TextWidth(const TRLFont& font, const QString& text) {
    return TextWidthAt(font, font.PixelSize(), text);
}

int Ascent(const TRLFont& font) {
    return AscentAt(font, font.PixelSize());
}

int Descent(const TRLFont& font) {
    return DescentAt(font, font.PixelSize());
}

int TextHeight(const TRLFont& font) {
    const Face& face = FaceFor(font.Name, font.Style);
    const int px = Magnitude(font.PixelSize());
    return Scale(face.winAscent, px, face.unitsPerEm) + Scale(face.winDescent, px, face.unitsPerEm);
}

int TextWidthWithSpace(const TRLFont& font, const QString& text) {
    // Widths add up character by character.
    const Face& face = FaceFor(font.Name, font.Style);
    const int px = Magnitude(font.PixelSize());
    return std::min(Width(face, px, text) + Scale(face.advance[u' '], px, face.unitsPerEm),
                    kMaxTextWidth);
}

int HalfSpace(const TRLFont& font) {
    const Face& face = FaceFor(font.Name, font.Style);
    return Scale(face.advance[u' '], Magnitude(font.PixelSize()), face.unitsPerEm) / 2;
}

} // namespace TextMetrics
