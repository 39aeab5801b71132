#pragma once
// Statements made to wait on the real server, and what they raised.
#include "DbTestSupport.h"
#include "IBCallControl.h"
#include "IBError.h"
#include "IBSQL.h"

#include <chrono>
#include <functional>

namespace waittest {

using DbTest::Session;
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

class Timeout {
public:
    explicit Timeout(int seconds) : old_(IBCall::Timeout()) { IBCall::SetTimeout(seconds); }
    ~Timeout() { IBCall::SetTimeout(old_); }

private:
    int old_;
};

// The emission log row of a condominium no fixture has, inserted by `into`.
inline void InsertLogRow(Session& into, TIBSQL& sql, int cod) {
    sql.SetDatabase(&into.db);
    sql.SetTransaction(&into.tr);
    sql.SetSQL(QStringLiteral("insert into emissoes (cod, mes, diasbol01, diasbal01) "
                              "values (%1, '2001-02-01', '', '')")
                   .arg(cod));
    sql.ExecQuery();
}

// What a statement raised, and after how long.
struct Outcome {
    QString message;
    bool timeout = false;
    bool aborted = false;
    double seconds = 0;
};

inline Outcome Attempt(const std::function<void()>& statement) {
    Outcome o;
    const auto start = Clock::now();
    try {
        statement();
        o.message = QStringLiteral("(no error)");
    } catch (const EIBTimeout& e) {
        o.message = e.Message();
        o.timeout = true;
    } catch (const EAbort& e) {
        o.message = e.Message();
        o.aborted = true;
    } catch (const Exception& e) {
        o.message = e.Message();
    }
    o.seconds = Seconds(start);
    return o;
}

} // namespace waittest
