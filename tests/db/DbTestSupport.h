#pragma once
// Connection to the private test server that ctest starts around the tests
// labelled "db" (server/fbctl.sh start --fixtures).
#include "IBDatabase.h"

#include <QString>
#include <memory>

namespace DbTest {

inline QString Host() {
    QString host = qEnvironmentVariable("QUORVA_DB_HOST");
    return host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
}

inline QString DatabaseName(int port = 3051) {
    return Host() + QStringLiteral("/%1:C:\\servidor\\KESTRO\\Dados\\Cond.FDB").arg(port);
}

inline void Configure(TIBDatabase& db, int port = 3051) {
    db.SetDatabaseName(DatabaseName(port));
    db.Params() = {QStringLiteral("user_name=sysdba"), QStringLiteral("password=vetrasomi"),
                   QStringLiteral("lc_ctype=WIN1252")};
    db.SetLoginPrompt(false);
    db.SetSQLDialect(3);
}

// A connected database with one transaction (server defaults), active. It
// rolls back at the end: a test never leaves rows behind for the others
// (the transaction's own default would commit).
struct Session {
    TIBDatabase db;
    TIBTransaction tr;
    explicit Session(int port = 3051) {
        Configure(db, port);
        tr.SetDefaultDatabase(&db);
        db.SetDefaultTransaction(&tr);
        db.SetConnected(true);
        tr.SetActive(true);
    }
    ~Session() {
        try {
            tr.SetActive(false);
        } catch (const std::exception&) {
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

} // namespace DbTest
