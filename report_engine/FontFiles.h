#pragma once
// Where the font files are: fontconfig finds a family in a style, wherever
// the system keeps it.
#include <QString>

namespace FontFiles {

// The file of `family` ("Liberation Sans") in the given weight and slant,
// found once and remembered. Raises when fontconfig has no font of that
// family (it would otherwise offer another family in its place), naming
// the Debian package that brings it.
QString Find(const QString& family, bool bold, bool italic, const QString& package);

} // namespace FontFiles
