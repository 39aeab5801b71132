#include "BalanceteChoice.h"

#include "DateTime.h"

#include <QRegularExpression>

namespace BalanceteChoice {

namespace {

std::optional<double> Encode(int year, int month, int day) {
    double date = 0;
    if (!DateTime::TryEncodeDate(year, month, day, date)) {
        return std::nullopt;
    }
    return date;
}

} // namespace

std::optional<double> ParseMonth(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    return Encode(m.captured(2).toInt(), m.captured(1).toInt(), 1);
}

std::optional<double> ParseDate(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    return Encode(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

std::optional<int> ParseType(const QString& text) {
    const QStringList names{QStringLiteral("receitas"), QStringLiteral("despesas"),
                            QStringLiteral("todas")};
    const qsizetype index = names.indexOf(text.toLower());
    if (index < 0) {
        return std::nullopt;
    }
    return static_cast<int>(index);
}

std::optional<int> ParseGrade(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^[0-3]$"));
    if (!re.match(text).hasMatch()) {
        return std::nullopt;
    }
    return text.toInt();
}

int GradeLength(int grade) {
    static const int lengths[] = {1, 4, 7, 10};
    return grade >= 0 && grade <= 3 ? lengths[grade] : 0;
}

bool IsListedShape(const QString& code, int grade) {
    static const QRegularExpression re(QStringLiteral("^\\d(\\.\\d\\d){0,3}$"));
    return re.match(code).hasMatch() && code.size() <= GradeLength(grade);
}

QStringList SplitCodes(const QString& text) {
    QStringList codes;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString code = item.trimmed();
        if (code.isEmpty()) {
            return {};
        }
        codes << code;
    }
    return codes;
}

QList<qsizetype> Family(const QStringList& listed, qsizetype row) {
    QList<qsizetype> rows;
    if (row < 0 || row >= listed.size()) {
        return rows;
    }
    // The sub-accounts follow their account in code order and begin with
    // its code.
    const QString& code = listed.at(row);
    for (qsizetype r = row; r < listed.size(); ++r) {
        if (listed.at(r).startsWith(code)) {
            rows << r;
        }
    }
    return rows;
}

TMarked Chosen(const QStringList& listed, const std::vector<bool>& marked) {
    QStringList codes;
    for (qsizetype row = 0; row < listed.size(); ++row) {
        if (marked.at(static_cast<std::size_t>(row))) {
            codes << listed.at(row);
        }
    }
    TMarked out;
    out.Count = static_cast<int>(codes.size());
    out.AlgumasContas = codes.size() != listed.size();
    if (out.AlgumasContas) {
        out.ContasSel = QuotedList(codes);
    }
    return out;
}

TMarked MarkAccounts(const QStringList& listed, const QStringList& chosen) {
    std::vector<bool> marked(static_cast<std::size_t>(listed.size()), chosen.isEmpty());
    for (const QString& code : chosen) {
        for (const qsizetype row : Family(listed, listed.indexOf(code))) {
            marked[static_cast<std::size_t>(row)] = true;
        }
    }
    return Chosen(listed, marked);
}

QString QuotedList(const QStringList& codes) {
    QStringList quoted;
    for (QString code : codes) {
        quoted << QLatin1Char('\'') + code.replace(QLatin1Char('\''), QStringLiteral("''")) +
                      QLatin1Char('\'');
    }
    return quoted.join(QLatin1Char(','));
}

} // namespace BalanceteChoice
