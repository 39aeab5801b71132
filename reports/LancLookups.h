#pragma once
// The small statements the balance report's handlers run for every lance
// and grade group. Each is prepared once per run and kept prepared, with
// the values as parameters; names that cannot change the report's text
// within a run (units, accounts, chart codes) are read once.
//
// The entry histories and the bills' instalments of a condominium's month
// are read in one statement each when first needed, instead of one round
// trip per lance (receipts of dues take their text from the template, so
// their histories are left out), and so are the histories of the payables
// the condominium owes that month, and the names of a chart of accounts;
// a text not found among them is looked up on its own, so the answers are
// those of the single lookups. With a read-ahead, the months and the chart
// it covers are answered from what it read.
#include "IBSQL.h"
#include "LancReadAhead.h"
#include "MonthTexts.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <memory>

class TIBDatabase;
class TIBTransaction;

class TLancLookups {
public:
    TLancLookups(TIBDatabase* db, TIBTransaction* t);

    // The instalment text of a unit's line of a bill, paid into a
    // condominium's account in a month.
    QString Parcela(int cond, double mes, int numrec, int cota);
    // A unit's short name, its mask still unfilled. The units of the
    // condominium are read together the first time.
    QString NomeCota(int cond, int cota);
    // An account's short name.
    QString NomeRedConta(int cod);
    // An account's name and a condominium's name, as the page header shows
    // them on every page.
    QString NomeConta(int cod);
    QString NomeCond(int cond);
    // The history of a payable due on a date within (mesi, mesf), owed by a
    // condominium and due in the month mes.
    QString HistPagar(int cond, double mes, double mesi, double mesf, int lanc, double data);
    // The history of a condominium's entry of a month and date.
    QString HistLanc(int cond, double mes, double data, int lanc);
    // The name of a chart-of-accounts code of a structure and kind.
    QString NomeSubconta(const QString& estru, const QString& kind, const QString& code);

    // Answers from a read-ahead from now on, until EndReadAhead (which waits
    // for it to end).
    void ReadAhead(std::unique_ptr<TLancReadAhead> ahead) { ahead_ = std::move(ahead); }
    void EndReadAhead() { ahead_.reset(); }

private:
    const TMonthTexts& Month(int cond, double mes);
    const TChartNames& Chart(int estru);
    // An account's name and short name as read ahead; null when not.
    const QPair<QString, QString>* ReadAheadConta(int cod);

    TIBSQL parcela_;
    TIBSQL nomeCota_;
    TIBSQL condCota_;
    QSet<int> condCotas_;
    TIBSQL nomeRedConta_;
    TIBSQL nomeConta_;
    TIBSQL nomeCond_;
    TIBSQL histPagar_;
    TIBSQL histLanc_;
    TIBSQL subconta_;
    TMonthTextReader monthReader_;
    TChartNameReader chartReader_;
    std::unique_ptr<TLancReadAhead> ahead_;
    QHash<QPair<int, double>, TMonthTexts> months_;
    QHash<int, TChartNames> charts_;
    QHash<int, QString> nomesCota_;
    QHash<int, QString> nomesRedConta_;
    QHash<int, QString> nomesConta_;
    QHash<int, QString> nomesCond_;
    QHash<QString, QString> nomesSubconta_;
};
