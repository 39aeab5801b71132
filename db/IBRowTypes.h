#pragma once
// What the public classes of the database layer name of how values are
// read: the connection's character set, and the reader of a blob's content.
// The reading itself is private to db/ (private/IBValue.h).
#include <QByteArray>
#include <functional>

enum class IBCharset { Win1252, Utf8 };

// A blob's whole content, given the 8-byte id found in the row buffer.
using IBBlobReader = std::function<QByteArray(const char* id)>;
