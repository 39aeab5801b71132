#pragma once
// Windows-1252, the character set of the database, the page storage and the
// PDF strings. QString::fromLatin1 is not enough: it maps 0x80-0x9F to
// control characters instead of the euro sign, quotes and dashes.
#include <QByteArray>
#include <QString>
#include <cstddef>

namespace Win1252 {

// The Unicode character of one byte. The five codes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control character of
// the same number, so bytes survive a round trip.
char16_t ToUnicode(unsigned char byte) noexcept;

// The byte of one character, or -1 when the code page has no such character.
int FromUnicode(char16_t ch) noexcept;

QString Decode(const char* bytes, std::size_t length);
QString Decode(const QByteArray& bytes);

// Characters outside the code page become '?'.
QByteArray Encode(const QString& text);

// Upper case as the code page's own rules give it: every letter whose capital
// is also in the code page (accented letters, š, œ, ž, ÿ) is raised; others,
// such as ß and µ, stay as they are.
QString AnsiUpperCase(const QString& text);

} // namespace Win1252
