#pragma once
// Private to db/: one column of a result, where its value sits in a row
// buffer, and the conversions every reader of the layer shares.
#include "IBRowTypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

struct IBColumn {
    QString name;       // the column's alias, as the server reports it
    short type = 0;     // sqltype without the nullable bit
    short scale = 0;    // 0 or negative: digits after the point
    short subType = 0;  // blob sub type; character set of texts
    short length = 0;   // sqllen: bytes of the value (declared bytes for texts)
    int offset = 0;     // of the value within a row buffer
    int nullOffset = 0; // of the short null indicator within a row buffer
};

// One value of one row: the column, the row buffer, and how to reach blobs.
struct IBCell {
    const IBColumn* column = nullptr;
    const char* row = nullptr; // nullptr: no row, every value reads as null
    IBCharset charset = IBCharset::Win1252;
    const IBBlobReader* blobs = nullptr;

    bool IsNull() const;
    QByteArray AsBytes() const;
    QString AsString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    std::int64_t AsCurrency() const;
    double AsDouble() const;
    double AsDateTime() const;
    bool IsText() const;
    bool IsScaledInteger() const;
};

namespace IBDate {
// ISC_DATE counts days from 17 November 1858; our dates from 30 December
// 1899. ISC_TIME counts ten-thousandths of a second.
constexpr int kDateOffset = 15018;
double FromIsc(std::int32_t date, std::uint32_t time);
void ToIsc(double dateTime, std::int32_t& date, std::uint32_t& time);
} // namespace IBDate

// Texts to and from the connection's character set.
QString DecodeText(IBCharset charset, const char* bytes, int length);
QByteArray EncodeText(IBCharset charset, const QString& text);
