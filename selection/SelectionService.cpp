#include "SelectionService.h"

#include "DMod.h"
#include "IBSQL.h"
#include "Win1252.h"

#include <algorithm>
#include <array>

namespace SelectionService {
namespace {

void Run(TIBSQL& sql, const QString& text) {
    sql.Close();
    sql.SetSQL(text);
    sql.ExecQuery();
}

QString Logged() {
    return QString::number(DM->CondLogado);
}

std::int32_t CountAndClose(TIBSQL& sql) {
    sql.ExecQuery();
    const std::int32_t count = sql.Fields(0).AsInteger();
    sql.Close();
    return count;
}

} // namespace

std::int32_t CondCount(TIBSQL& sql, std::int32_t cond) {
    Run(sql, QStringLiteral("select count(*) from cond where cond = ") + QString::number(cond));
    const std::int32_t count = sql.Fields(0).AsInteger();
    sql.Close();
    return count;
}

TLogin CheckLogin(TIBSQL& sql, std::int32_t cond, const QString& password) {
    if (CondCount(sql, cond) == 0) {
        return TLogin::UnknownCond;
    }
    Run(sql, QStringLiteral("select remoto_senha, remoto_balancete from cond where cond = ") +
                 QString::number(cond));
    const bool same =
        Win1252::AnsiUpperCase(sql.Fields(0).AsString()) == Win1252::AnsiUpperCase(password);
    const std::int32_t balancete = sql.Fields(1).AsInteger();
    sql.Close();
    if (!same) {
        return TLogin::WrongPassword;
    }
    DM->CodBalancete = balancete;
    DM->CondLogado = cond;
    return TLogin::Ok;
}

double LatestMonth(TIBSQL& sql) {
    Run(sql, QStringLiteral("select max(mes) from lanconta where cond = ") + Logged());
    const double month = sql.Fields(0).AsDateTime();
    sql.Close();
    return month;
}

TCondInfo CondInfo(TIBSQL& sql) {
    Run(sql, QStringLiteral("select nome, estrutu from cond where cond = ") + Logged());
    TCondInfo info;
    info.Nome = sql.Fields(0).AsString();
    info.Estrutura = sql.Fields(1).AsInteger();
    sql.Close();
    return info;
}

QList<TAccount> Accounts(TIBSQL& sql, int type, std::int32_t estrutura, int grade) {
    static const std::array<const char*, 3> kTypes = {" where tipo = 'R' ", " where tipo = 'D' ",
                                                      " where ((tipo = 'R') or (tipo = 'D')) "};
    static const std::array<int, 4> kLengths = {1, 4, 7, 10};
    QString text = QStringLiteral("select tipo,subconta,nome from subconta ");
    if (type >= 0 && type < 3) {
        text += QString::fromLatin1(kTypes[static_cast<std::size_t>(type)]);
    }
    text += QStringLiteral(" and estru = ") + QString::number(estrutura) +
            QStringLiteral(" order by subconta ");
    Run(sql, text);
    const int longest = kLengths[static_cast<std::size_t>(std::clamp(grade, 0, 3))];
    QList<TAccount> accounts;
    for (; !sql.Eof(); sql.Next()) {
        const QString code = sql.Fields(1).AsString();
        if (code.size() <= longest) {
            accounts.append({code, sql.Fields(2).AsString()});
        }
    }
    sql.Close();
    return accounts;
}

std::int32_t MonthEntryCount(TIBSQL& sql, double month) {
    sql.Close();
    sql.SetSQL(QStringLiteral("select count(*)  from lanconta where mes = :wdata "));
    sql.ParamByName(QStringLiteral("wdata")).SetAsDateTime(month);
    return CountAndClose(sql);
}

std::int32_t PeriodEntryCount(TIBSQL& sql, double from, double to) {
    sql.Close();
    // Whole days, both ends included: the day before and the day after.
    sql.SetSQL(QStringLiteral(
        "select count(*)  from lanconta where data > :wdataini and data < :wdatafim "));
    sql.ParamByName(QStringLiteral("wdataini")).SetAsDateTime(from - 1);
    sql.ParamByName(QStringLiteral("wdatafim")).SetAsDateTime(to + 1);
    return CountAndClose(sql);
}

} // namespace SelectionService
