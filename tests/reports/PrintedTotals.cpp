#include "PrintedTotals.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <optional>

namespace {

// One printed line: the texts of one page less than 4 pixels apart in
// height, left to right.
struct Line {
    int Page = 0;
    std::vector<PageText> Texts;
};

std::vector<Line> Lines(const SavedReport& r) {
    std::vector<PageText> texts;
    for (const PageText& t : r.Texts) {
        if (!t.Text.trimmed().isEmpty()) {
            texts.push_back(t);
        }
    }
    std::sort(texts.begin(), texts.end(), [](const PageText& a, const PageText& b) {
        if (a.Page != b.Page) {
            return a.Page < b.Page;
        }
        return a.Box.Top != b.Box.Top ? a.Box.Top < b.Box.Top : a.Box.Left < b.Box.Left;
    });
    std::vector<Line> lines;
    int top = 0;
    for (const PageText& t : texts) {
        if (lines.empty() || lines.back().Page != t.Page || t.Box.Top - top > 3) {
            lines.push_back({t.Page, {}});
            top = t.Box.Top;
        }
        lines.back().Texts.push_back(t);
    }
    for (Line& line : lines) {
        std::sort(line.Texts.begin(), line.Texts.end(),
                  [](const PageText& a, const PageText& b) { return a.Box.Left < b.Box.Left; });
    }
    return lines;
}

// An amount in Brazilian format, in cents: "1.500,50 ", "20,00 -",
// "1.234,56-", ",50" (the balances print no zero before the comma).
std::optional<qint64> Cents(const QString& text) {
    static const QRegularExpression amount(
        QStringLiteral(R"(^((?:\d{1,3}(?:\.\d{3})*)?),(\d\d) ?(-?)$)"));
    const QRegularExpressionMatch m = amount.match(text.trimmed());
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    QString whole = m.captured(1);
    whole.remove(u'.');
    const qint64 cents = whole.toLongLong() * 100 + m.captured(2).toLongLong();
    return m.captured(3).isEmpty() ? cents : -cents;
}

QString Money(qint64 cents) {
    const qint64 a = cents < 0 ? -cents : cents;
    return QStringLiteral("%1%2,%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(a % 100, 2, 10, QLatin1Char('0'));
}

QString Joined(const Line& line) {
    QStringList parts;
    for (const PageText& t : line.Texts) {
        parts << t.Text.trimmed();
    }
    return parts.join(u' ');
}

QString Where(const Line& line) {
    return QStringLiteral("page %1: \"%2\"").arg(line.Page).arg(Joined(line));
}

// ---- The balance report

// Realized amounts end at the realized column (572 + 54 in the band), the
// committed ones at the committed column (656 + 54); the middle parts them.
constexpr int CommittedFrom = 38 + 668;

struct Amounts {
    qint64 Realized = 0;
    qint64 Committed = 0;
    int Count = 0;
    void Add(const Amounts& o) {
        Realized += o.Realized;
        Committed += o.Committed;
        ++Count;
    }
};

Amounts LineAmounts(const Line& line) {
    Amounts a;
    for (const PageText& t : line.Texts) {
        if (const auto cents = Cents(t.Text)) {
            (t.Box.Right > CommittedFrom ? a.Committed : a.Realized) += *cents;
            a.Count = 1;
        }
    }
    return a;
}

// The code of a grade caption ("1.01 - Receitas") or of a grade total
// ("Total de 1.01 - Receitas"), and whether it is a total.
struct Caption {
    QString Code;
    bool Total = false;
};

std::optional<Caption> CaptionOf(const Line& line) {
    static const QRegularExpression caption(
        QStringLiteral(R"(^(Total de )?(\d(?:\.\d\d){0,3}) - )"));
    for (const PageText& t : line.Texts) {
        const QRegularExpressionMatch m = caption.match(t.Text + QLatin1Char(' '));
        if (m.hasMatch()) {
            return Caption{m.captured(2), m.hasCaptured(1) && !m.captured(1).isEmpty()};
        }
    }
    return std::nullopt;
}

bool HasDate(const Line& line) {
    static const QRegularExpression date(QStringLiteral(R"(^\d\d/\d\d/\d{4}$)"));
    return std::any_of(line.Texts.begin(), line.Texts.end(),
                       [](const PageText& t) { return date.match(t.Text.trimmed()).hasMatch(); });
}

// A grade group open on the pages read so far: the lance lines and the
// totals of lower grades printed since its header.
struct OpenGroup {
    Amounts Lances;
    Amounts Inner;
};

class BalanceCheck {
public:
    QStringList Faults;

    void Read(const Line& line) {
        const QString first = line.Texts.front().Text;
        if (first.startsWith(QStringLiteral("Conta: "))) {
            if (first != account_) {
                open_.clear(); // a new account's series starts its groups anew
                account_ = first;
            }
            return;
        }
        if (Box(line)) {
            return;
        }
        const Amounts amounts = LineAmounts(line);
        const std::optional<Caption> caption = CaptionOf(line);
        if (!caption) {
            if (amounts.Count) {
                for (auto& [code, group] : open_) {
                    group.Lances.Add(amounts);
                }
            } else if (HasDate(line)) {
                Faults << Where(line) + QStringLiteral(": a dated line without its amount");
            }
            return;
        }
        if (!caption->Total && !amounts.Count) {
            open_.try_emplace(caption->Code); // repeated on a new page: the same group
            return;
        }
        Close(line, caption->Code, amounts);
    }

private:
    void Close(const Line& line, const QString& code, const Amounts& printed) {
        const auto it = open_.find(code);
        if (it != open_.end()) {
            const OpenGroup& g = it->second;
            const Amounts& expected = g.Lances.Count ? g.Lances : g.Inner;
            if (expected.Realized != printed.Realized || expected.Committed != printed.Committed) {
                Faults << Where(line) + QStringLiteral(": printed %1 / %2, the lines above add "
                                                       "up to %3 / %4")
                                            .arg(Money(printed.Realized), Money(printed.Committed),
                                                 Money(expected.Realized),
                                                 Money(expected.Committed));
            }
            open_.erase(it);
        }
        for (auto& [outer, group] : open_) {
            if (code.startsWith(outer + QLatin1Char('.'))) {
                group.Inner.Add(printed);
            }
        }
    }

    // The month balance box, four lines: opening, receipts, expenses,
    // closing; a balance's sense is in its mark.
    bool Box(const Line& line) {
        static const QStringList captions = {
            QStringLiteral("Saldo do início do mês:"), QStringLiteral("Receitas (Créditos):"),
            QStringLiteral("Despesas (Débitos):"), QStringLiteral("Saldo do final do mês:")};
        const auto it = std::find_if(line.Texts.begin(), line.Texts.end(), [](const PageText& t) {
            return captions.contains(t.Text.trimmed());
        });
        if (it == line.Texts.end()) {
            return false;
        }
        const int row = static_cast<int>(captions.indexOf(it->Text.trimmed()));
        if (row != boxRow_ || (row > 0 && line.Page != boxPage_)) {
            Faults << Where(line) + QStringLiteral(": a balance box line out of its place");
        }
        boxPage_ = line.Page;
        qint64 value = 0;
        for (const PageText& t : line.Texts) {
            value += Cents(t.Text).value_or(0);
            if (t.Text.trimmed() == QStringLiteral("(Devedor)")) {
                value = -value;
            }
        }
        box_[row] = value;
        boxRow_ = (row + 1) % 4;
        if (row == 3 && box_[0] + box_[1] - box_[2] != box_[3]) {
            Faults << Where(line) +
                          QStringLiteral(": opening %1 + receipts %2 - expenses %3 is not %4")
                              .arg(Money(box_[0]), Money(box_[1]), Money(box_[2]), Money(box_[3]));
        }
        return true;
    }

    std::map<QString, OpenGroup> open_;
    QString account_;
    qint64 box_[4] = {};
    int boxRow_ = 0;
    int boxPage_ = 0;
};

// ---- The listings

QStringList ListingFaults(const std::vector<Line>& lines) {
    QStringList faults;
    qint64 group = 0;
    qint64 all = 0;
    for (const Line& line : lines) {
        qint64 amount = 0;
        bool has = false;
        for (const PageText& t : line.Texts) {
            if (const auto cents = Cents(t.Text)) {
                amount += *cents;
                has = true;
            }
        }
        const QString text = Joined(line);
        const bool grand = text.contains(QStringLiteral("Total Geral"));
        const bool groupTotal = text.contains(QStringLiteral("Total do "));
        if (!grand && !groupTotal) {
            group += amount;
            all += amount;
            continue;
        }
        const qint64 expected = grand ? all : group;
        if (amount != expected || (!has && expected != 0)) {
            faults << Where(line) + QStringLiteral(": printed %1, the lines above add up to %2")
                                        .arg(Money(amount), Money(expected));
        }
        group = 0;
    }
    return faults;
}

} // namespace

QStringList PrintedTotalFaults(const SavedReport& report) {
    const std::vector<Line> lines = Lines(report);
    if (!report.Has(QStringLiteral("Balancete Detalhado por Conta"))) {
        return ListingFaults(lines);
    }
    BalanceCheck check;
    for (const Line& line : lines) {
        check.Read(line);
    }
    return check.Faults;
}
