#pragma once
// A statement run as another client would run it: in a transaction of its
// own, committed at once. Date parameters are set by position. Each row
// comes back as its columns' texts joined by "|", a null as "<null>".
#include "IBDatabase.h"
#include "IBSQL.h"

#include <QList>
#include <QStringList>

inline QStringList CommittedRows(TIBDatabase& db, const QString& text,
                                 const QList<double>& dates = {}) {
    TIBTransaction t;
    t.SetDefaultDatabase(&db);
    t.StartTransaction();
    TIBSQL sql;
    sql.SetDatabase(&db);
    sql.SetTransaction(&t);
    sql.SetSQL(text);
    for (int i = 0; i < dates.size(); ++i) {
        sql.Params(i).SetAsDateTime(dates[i]);
    }
    sql.ExecQuery();
    QStringList rows;
    for (; sql.FieldCount() > 0 && !sql.Eof(); sql.Next()) {
        QStringList cols;
        for (int c = 0; c < sql.FieldCount(); ++c) {
            cols << (sql.Fields(c).IsNull() ? QStringLiteral("<null>") : sql.Fields(c).AsString());
        }
        rows << cols.join(QLatin1Char('|'));
    }
    sql.Close();
    t.Commit();
    return rows;
}
