#pragma once
// Small helpers for the lookups' statements: one statement bound to a
// connection and transaction, and every row of a select handed over.
#include "IBSQL.h"

inline void BindStatement(TIBSQL& sql, TIBDatabase* db, TIBTransaction* t, const char* text) {
    sql.SetDatabase(db);
    sql.SetTransaction(t);
    sql.SetSQL(QString::fromUtf8(text));
}

// Executes a select and hands each of its rows over, then closes it.
template <typename Use> void EachRow(TIBSQL& sql, Use use) {
    sql.ExecQuery();
    for (; !sql.Eof(); sql.Next()) {
        use(sql);
    }
    sql.Close();
}
