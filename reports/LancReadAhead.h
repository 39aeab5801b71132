#pragma once
// The balance report's month texts and names, read on a connection
// and a thread of their own while the report's connection waits for the
// server to work out the report's rows. On the report's connection they
// would queue behind those rows, a month at a time.
//
// The second connection has the report's settings and reads in a
// read-committed transaction, as the report's own lookups do: a text read
// here is as current as the same text read there a moment later.
// Whatever goes wrong here (no second connection, a statement refused, a
// stop) gives no texts and says nothing: the report then reads them on its
// own connection, where an error is reported as always.
#include "MonthTexts.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class TIBDatabase;

// A condominium's name and its accounts' names and short names.
struct TCondNames {
    QString Cond;
    QHash<int, QPair<QString, QString>> Contas; // by account: name, short name
};

class TLancReadAhead {
public:
    // Starts reading the texts of a condominium's months, its names and,
    // when given, the names of its chart of accounts.
    TLancReadAhead(const TIBDatabase& like, int cond, const TMonthRange& months,
                   std::optional<int> estru);
    // Waits for the reading to end.
    ~TLancReadAhead();
    TLancReadAhead(const TLancReadAhead&) = delete;
    TLancReadAhead& operator=(const TLancReadAhead&) = delete;

    // The condominium read for.
    int Cond() const { return cond_; }
    // Wait for the reading; null when it failed, or (Chart) when it did not
    // read that structure.
    const TMonthTextSet* Months();
    const TCondNames* Names();
    const TChartNames* Chart(int estru);

    // Off until switched on: a window's thread must not wait on another
    // thread while it keeps its window answering.
    static void SetEnabled(bool on);
    static bool Enabled();

private:
    struct TSettings {
        QString Name;
        QStringList Params;
        int Dialect = 3;
    };
    void Read(const TSettings& settings, int cond, const TMonthRange& months);
    bool Wait();

    const int cond_;
    const std::optional<int> estru_;
    TMonthTextSet months_;
    TCondNames names_;
    TChartNames chart_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool read_ = false;
    std::jthread thread_;
};
