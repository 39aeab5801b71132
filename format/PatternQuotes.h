#pragma once
// Quoted text in number and date patterns: what stands between double or
// single quotes is written as it is, and a quote never closed quotes the
// rest of the pattern. Private to format/: FormatNumber.cpp and
// FormatDate.cpp read their patterns with it.
#include <QChar>
#include <QtGlobal>

namespace PatternQuotes {

inline bool IsQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

// The index of the quotation mark closing the one at `open`, or `end` when
// it is never closed.
inline qsizetype ClosingQuote(const QChar* p, qsizetype open, qsizetype end) {
    for (qsizetype i = open + 1; i < end; ++i) {
        if (p[i] == p[open]) {
            return i;
        }
    }
    return end;
}

// Hands each character quoted by the mark at `open` to `put`, and returns
// the index of the closing mark (or `end`).
template <typename Put>
qsizetype CopyQuoted(const QChar* p, qsizetype open, qsizetype end, Put put) {
    const qsizetype close = ClosingQuote(p, open, end);
    for (qsizetype j = open + 1; j < close; ++j) {
        put(p[j]);
    }
    return close;
}

} // namespace PatternQuotes
