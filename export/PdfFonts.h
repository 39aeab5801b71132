#pragma once
// Fonts as the PDF writer refers to them: the 14 standard names go in as
// Type 1 by name; any other face is named as TrueType with widths and a
// descriptor measured from the installed font file.
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace Pdf {

// Style bits of a stored font.
enum FontStyleBits { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };

// The name with every space removed; the form used for BaseFont.
QString SpaceFreeName(const QString& name);

// True for the 14 fonts every reader has (case ignored, spaces removed).
bool IsStandardFontName(const QString& name);

// "Arial" + bold -> "Arial,Bold", + italic -> "Arial,Italic", both ->
// "Arial,BoldItalic". Underline and strike-out are not part of a face:
// readers know no such names, and the writer draws those lines itself.
QString TrueTypeBaseName(const QString& name, int style);

// The advance of a run of WinAnsi bytes as a reader lays it out, in
// thousandths of the em: the sum of the codes' entries in the font's width
// table (rounded as the table rounds them), 0 for the control codes below
// the table.
long long RunAdvance(const QString& name, int style, std::string_view bytes);

// Metrics in thousandths of the em, as the descriptor and width table carry
// them.
struct FontMetrics {
    int firstChar = 0;
    int lastChar = 0;
    std::vector<int> widths; // codes firstChar..lastChar
    int bboxLeft = 0;
    int bboxBottom = 0;
    int bboxRight = 0;
    int bboxTop = 0;
    int italicAngle = 0; // degrees
    int capHeight = 0;
    int xHeight = 0;
    int ascent = 0;
    int descent = 0; // negative: below the baseline
    int leading = 0; // internal leading
    int maxWidth = 0;
    int avgWidth = 0;
};

// Reads the font file that stands for the face and style. Throws Exception
// "Invalid font for GetOutlineTextMetrics" when there is no outline font for
// it and "GetOutlineTextMetrics failed" when its tables cannot be read.
FontMetrics ReadFontMetrics(const QString& name, int style);

// Measures from an explicit font file (tests and the lookup above).
FontMetrics ReadFontMetricsFromFile(const QString& path);

} // namespace Pdf
