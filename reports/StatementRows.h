#pragma once
// Small helpers for the lookups' statements: one statement bound to a
// connection and transaction, every row of a select handed over, or the
// first column of its first row.
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

// Column 0 of the first row as text; empty when there is none.
inline QString FirstText(TIBSQL& sql) {
    sql.ExecQuery();
    const QString text = sql.Eof() ? QString() : sql.Fields(0).AsString();
    sql.Close();
    return text;
}
