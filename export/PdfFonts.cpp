#include "PdfFonts.h"

#include "Exception.h"
#include "TextMetrics.h"
#include "Win1252.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <array>
#include <cmath>
#include <memory>

namespace Pdf {

QString SpaceFreeName(const QString& name) {
    QString out = name;
    out.remove(QLatin1Char(' '));
    return out;
}

bool IsStandardFontName(const QString& name) {
    static const std::array<const char*, 14> kNames = {
        "Courier",          "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
        "Helvetica",        "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
        "Symbol",           "Times-Roman",    "Times-Bold",        "Times-Italic",
        "Times-BoldItalic", "ZapfDingbats"};
    const QString bare = SpaceFreeName(name);
    for (const char* standard : kNames) {
        if (bare.compare(QLatin1String(standard), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString TrueTypeBaseName(const QString& name, int style) {
    QString base = SpaceFreeName(name);
    const bool bold = style & kBold;
    const bool italic = style & kItalic;
    if (bold && italic) {
        base += QStringLiteral(",BoldItalic");
    } else if (bold) {
        base += QStringLiteral(",Bold");
    } else if (italic) {
        base += QStringLiteral(",Italic");
    }
    return base;
}

long long RunAdvance(const QString& name, int style, std::string_view bytes) {
    const auto face = static_cast<std::uint8_t>(style & (kBold | kItalic));
    const double unitsPerEm = TextMetrics::UnitsPerEm(name, face);
    long long advance = 0;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 32) {
            const int units = TextMetrics::AdvanceUnits(name, face, Win1252::ToUnicode(code));
            advance += std::lround(units * 1000.0 / unitsPerEm);
        }
    }
    return advance;
}

namespace {

struct LibraryDeleter {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

[[noreturn]] void Fail() {
    throw Exception(QStringLiteral("GetOutlineTextMetrics failed"));
}

// Font units to thousandths of the em, rounded half away from zero.
class Scale {
public:
    explicit Scale(int unitsPerEm) : unitsPerEm_(unitsPerEm) {}
    int operator()(long units) const {
        return static_cast<int>(std::lround(static_cast<double>(units) * 1000.0 / unitsPerEm_));
    }

private:
    int unitsPerEm_;
};

long GlyphAdvance(FT_Face face, FT_UInt glyph) {
    FT_Fixed advance = 0;
    if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) {
        Fail();
    }
    return advance;
}

// Height of a glyph's outline above the baseline, for fonts whose OS/2 table
// has no cap height or x-height.
long GlyphTop(FT_Face face, char16_t ch) {
    const FT_UInt glyph = FT_Get_Char_Index(face, ch);
    if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0) {
        return 0;
    }
    return face->glyph->metrics.horiBearingY;
}

void ReadCharRange(FT_Face face, const Scale& scale, FontMetrics& m) {
    // Codes below the space are control codes: they have no place in a
    // width table.
    std::array<FT_UInt, 256> glyphs{};
    int first = -1;
    int last = -1;
    for (int code = 32; code < 256; ++code) {
        glyphs[code] =
            FT_Get_Char_Index(face, Win1252::ToUnicode(static_cast<unsigned char>(code)));
        if (glyphs[code] != 0) {
            first = first < 0 ? code : first;
            last = code;
        }
    }
    if (first < 0) {
        Fail();
    }
    m.firstChar = first;
    m.lastChar = last;
    const int missing = scale(GlyphAdvance(face, 0));
    m.widths.reserve(last - first + 1);
    for (int code = first; code <= last; ++code) {
        m.widths.push_back(glyphs[code] ? scale(GlyphAdvance(face, glyphs[code])) : missing);
    }
}

} // namespace

FontMetrics ReadFontMetricsFromFile(const QString& path) {
    FT_Library rawLib = nullptr;
    if (FT_Init_FreeType(&rawLib) != 0) {
        Fail();
    }
    LibraryPtr lib(rawLib);
    FT_Face rawFace = nullptr;
    const QByteArray file = path.toLocal8Bit();
    if (FT_New_Face(lib.get(), file.constData(), 0, &rawFace) != 0) {
        throw Exception(QStringLiteral("Invalid font for GetOutlineTextMetrics"));
    }
    FacePtr face(rawFace);
    if (!FT_IS_SCALABLE(face.get()) || !FT_IS_SFNT(face.get())) {
        throw Exception(QStringLiteral("Invalid font for GetOutlineTextMetrics"));
    }
    auto* head = static_cast<TT_Header*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_HEAD));
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_HHEA));
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
    auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_POST));
    if (!head || !hhea || !os2 || face->units_per_EM == 0) {
        Fail();
    }
    const Scale scale(face->units_per_EM);
    FontMetrics m;
    ReadCharRange(face.get(), scale, m);
    m.bboxLeft = scale(head->xMin);
    m.bboxBottom = scale(head->yMin);
    m.bboxRight = scale(head->xMax);
    m.bboxTop = scale(head->yMax);
    m.italicAngle = post ? static_cast<int>(std::lround(post->italicAngle / 65536.0)) : 0;
    const bool hasHeights = os2->version >= 2 && os2->sCapHeight > 0;
    m.capHeight = scale(hasHeights ? os2->sCapHeight : GlyphTop(face.get(), u'H'));
    m.xHeight = scale(hasHeights ? os2->sxHeight : GlyphTop(face.get(), u'x'));
    m.ascent = scale(hhea->Ascender);
    m.descent = scale(hhea->Descender);
    m.leading = m.ascent - m.descent - 1000;
    m.maxWidth = scale(hhea->advance_Width_Max);
    m.avgWidth = scale(os2->xAvgCharWidth);
    return m;
}

FontMetrics ReadFontMetrics(const QString& name, int style) {
    // The same file the text measurement reads, so widths agree.
    return ReadFontMetricsFromFile(
        TextMetrics::FontFilePath(name, static_cast<std::uint8_t>(style & (kBold | kItalic))));
}

} // namespace Pdf
