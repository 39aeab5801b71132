#include "LancReadAhead.h"

#include "IBDatabase.h"
#include "StatementRows.h"

#include <atomic>

namespace {

std::atomic<bool> enabled = false;

TCondNames ReadNames(TIBDatabase* db, TIBTransaction* t, int cond) {
    TCondNames names;
    TIBSQL sql;
    BindStatement(sql, db, t, "select nome from cond where cond = :wcond ");
    sql.Params(0).SetAsInteger(cond);
    names.Cond = FirstText(sql);
    BindStatement(sql, db, t, "select cod, nome, nomered from conta where cond = :wcond ");
    sql.Params(0).SetAsInteger(cond);
    EachRow(sql, [&](TIBSQL& row) {
        names.Contas.insert(row.Fields(0).AsInteger(),
                            {row.Fields(1).AsString(), row.Fields(2).AsString()});
    });
    return names;
}

} // namespace

void TLancReadAhead::SetEnabled(bool on) {
    enabled = on;
}

bool TLancReadAhead::Enabled() {
    return enabled;
}

TLancReadAhead::TLancReadAhead(const TIBDatabase& like, int cond, const TMonthRange& months,
                               std::optional<int> estru)
    : cond_(cond), estru_(estru) {
    const TSettings settings{like.DatabaseName(), like.Params(), like.SQLDialect()};
    thread_ = std::jthread([this, settings, cond, months] { Read(settings, cond, months); });
}

TLancReadAhead::~TLancReadAhead() = default; // the thread joins

void TLancReadAhead::Read(const TSettings& settings, int cond, const TMonthRange& months) {
    bool read = false;
    // Declared in this order so that the statements go before the
    // transaction and the transaction before the connection, all after the
    // texts are handed over.
    TIBDatabase db;
    TIBTransaction t;
    std::optional<TMonthTextReader> monthReader;
    std::optional<TChartNameReader> chartReader;
    try {
        db.SetDatabaseName(settings.Name);
        db.Params() = settings.Params;
        db.SetSQLDialect(settings.Dialect);
        db.SetLoginPrompt(false);
        t.SetDefaultDatabase(&db);
        t.Params() = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                      QStringLiteral("nowait"), QStringLiteral("read")};
        db.Open();
        t.StartTransaction();
        months_ = monthReader.emplace(&db, &t).Read(cond, months);
        names_ = ReadNames(&db, &t, cond);
        if (estru_) {
            chart_ = chartReader.emplace(&db, &t).Read(*estru_);
        }
        read = true;
    } catch (...) {
        // Nothing is said: the report reads for itself.
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        read_ = read;
    }
    ended_.notify_all();
    // The transaction only read: it ends and the connection detaches as the
    // objects go.
}

bool TLancReadAhead::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [this] { return done_; });
    return read_;
}

const TMonthTextSet* TLancReadAhead::Months() {
    return Wait() ? &months_ : nullptr;
}

const TCondNames* TLancReadAhead::Names() {
    return Wait() ? &names_ : nullptr;
}

const TChartNames* TLancReadAhead::Chart(int estru) {
    return Wait() && estru_ == estru ? &chart_ : nullptr;
}
