#pragma once
// What the balance report's choice means: the report tool's options (the
// month or the period, the account type and grade) and the marking of
// accounts, which the selection screen's grid and the tool's --accounts
// share. No server here: the caller reads the chart of accounts and hands
// its codes in.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace BalanceteChoice {

// "mm/yyyy" (the month may have one digit): the month's first day.
std::optional<double> ParseMonth(const QString& text);
// "dd/mm/yyyy" (day and month may have one digit).
std::optional<double> ParseDate(const QString& text);
// "receitas", "despesas" or "todas", letter case aside: 0, 1 or 2, the
// items of the screen's account type choice.
std::optional<int> ParseType(const QString& text);
// "0" to "3": the grades "1", "1.01", "1.01.01" and "1.01.01.01".
std::optional<int> ParseGrade(const QString& text);

// The longest code listed at a grade: 1, 4, 7 or 10 characters.
int GradeLength(int grade);

// Whether a typed code looks like one the grid lists at the grade: the
// digits and dots of 1, 1.01, 1.01.01 or 1.01.01.01, no longer than the
// grade's codes.
bool IsListedShape(const QString& code, int grade);

// The typed list "1.01,2.01": codes split at commas, blanks around them
// dropped. Empty when the text holds an empty item.
QStringList SplitCodes(const QString& text);

struct TMarked {
    int Count = 0;              // rows marked
    bool AlgumasContas = false; // not every listed row is marked
    QString ContasSel;          // the marked codes when AlgumasContas
};

// The rows a double click on a row of the grid (the listed codes, in grid
// order) marks or unmarks: the row and every later row whose code begins
// with its code, its sub-accounts. None for a row outside the list.
QList<qsizetype> Family(const QStringList& listed, qsizetype row);

// What the grid's marks (one per listed code) hand to the balance report.
TMarked Chosen(const QStringList& listed, const std::vector<bool>& marked);

// Marks the grid's rows as double clicks on the chosen codes would, each
// chosen row with its family. No chosen code marks every row, as
// "Selecionar todas as contas" does. Chosen codes must be listed.
TMarked MarkAccounts(const QStringList& listed, const QStringList& chosen);

// '1.01','2.01': each code between single quotes (a quote inside doubled),
// joined by commas without blanks.
QString QuotedList(const QStringList& codes);

} // namespace BalanceteChoice
