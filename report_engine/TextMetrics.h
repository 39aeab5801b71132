#pragma once
// The one text measurement of the program. Controls, generation, the preview's
// find outline and the writers all measure here, so the same text has the
// same width everywhere and on every machine.
//
// Widths come from the font file's own advance-width table (no hinting, no
// kerning): each character's advance is scaled to the pixel size and rounded
// to a whole pixel (halves up), and the text's width is the sum. Heights are
// the font's Windows ascent and descent, each rounded the same way.
//
// Fonts are loaded by path from the Liberation family; Arial, Times New Roman
// and Courier New map to Liberation Sans, Serif and Mono (other faces fall
// back to Liberation Sans). Safe to call from any thread.
#include "RLGraphics.h"

#include <QByteArray>
#include <QString>

namespace TextMetrics {

// Width in pixels of text in the font at its own size (96 pixels per inch).
int TextWidth(const TRLFont& font, const QString& text);
// Height of one line: ascent plus descent (Liberation Sans 11 px: 10 + 2).
int TextHeight(const TRLFont& font);
int Ascent(const TRLFont& font);
int Descent(const TRLFont& font);
// Half the width of one space, truncated.
int HalfSpace(const TRLFont& font);
// Width of the text followed by one space, as labels size their boxes.
int TextWidthWithSpace(const TRLFont& font, const QString& text);

// The same at an explicit character height in pixels, for drawing on devices
// of other resolutions or zooms.
int TextWidthAt(const TRLFont& font, int pixelSize, const QString& text);
int AscentAt(const TRLFont& font, int pixelSize);
int DescentAt(const TRLFont& font, int pixelSize);

// The font file that stands in for a face name with the given style bits.
QString FontFilePath(const QString& faceName, std::uint8_t style);
// The whole font file, for drawing glyphs and for embedding in PDF files.
QByteArray FontFileData(const QString& faceName, std::uint8_t style);
// Advance of one character in font units, and the font's units per em.
int AdvanceUnits(const QString& faceName, std::uint8_t style, char16_t ch);
int UnitsPerEm(const QString& faceName, std::uint8_t style);

// Where the font file draws its underline (post table) and strike-out
// (OS/2 table): the top of each line above the baseline, negative below
// it, and the line's thickness, in font units.
struct LineUnits {
    int UnderlineTop = 0;
    int UnderlineThickness = 0;
    int StrikeOutTop = 0;
    int StrikeOutThickness = 0;
};
LineUnits TextLineUnits(const QString& faceName, std::uint8_t style);

} // namespace TextMetrics
