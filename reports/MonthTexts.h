#pragma once
// The texts the balance report's lances of a condominium look up, read a
// range of months at a time: entry histories, the bills' instalments and
// the histories of the payables it owes. One statement each for the whole
// range instead of one round trip per lance.
#include "IBSQL.h"

#include <QHash>
#include <QPair>
#include <QString>

struct TMonthTexts {
    QHash<QPair<double, int>, QString> Histories; // by date and entry
    QHash<QPair<int, int>, QString> Parcelas;     // by bill and unit
    // By payable: its due date and history, when the history is short
    // enough to come whole with the row.
    QHash<int, QPair<double, QString>> Payables;
};

// The months a reading answers for: First alone (any day, as the report's
// month), or every first day of a month from First to Last (a period's
// months). A payable belongs to the month it falls due in, from the
// month's key to its last day.
struct TMonthRange {
    double First = 0;
    double Last = 0;
    bool Covers(double mes) const;
    // The months of the days from firstDay to lastDay.
    static TMonthRange Between(double firstDay, double lastDay);
};

struct TMonthTextSet {
    int Cond = 0;
    TMonthRange Months;
    QHash<double, TMonthTexts> ByMonth; // months with no texts are left out
    // The texts of a month the range covers; empty when it has none.
    const TMonthTexts& Of(double mes) const;
};

// The three statements, prepared once on a connection and kept.
class TMonthTextReader {
public:
    TMonthTextReader(TIBDatabase* db, TIBTransaction* t);
    TMonthTextSet Read(int cond, const TMonthRange& months);

private:
    TIBSQL histories_;
    TIBSQL parcelas_;
    TIBSQL payables_;
};

// The names of a chart of accounts (a structure), by kind and code, all
// read at once: a report names most of the groups it prints.
using TChartNames = QHash<QPair<QString, QString>, QString>;
class TChartNameReader {
public:
    TChartNameReader(TIBDatabase* db, TIBTransaction* t);
    TChartNames Read(int estru);

private:
    TIBSQL chart_;
};
