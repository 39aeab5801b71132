#include "MonthTexts.h"

#include "DateTime.h"
#include "StatementRows.h"

#include <cmath>

namespace {

// The longest history that comes whole with the month's payables.
constexpr int kWholeHistory = 8000;

bool IsFirstOfMonth(double day) {
    return day == std::floor(day) && DateTime::DecodeDate(day).Day == 1;
}

double FirstOfMonth(double day) {
    const DateTime::Date d = DateTime::DecodeDate(day);
    return DateTime::EncodeDate(d.Year, d.Month, 1);
}

} // namespace

bool TMonthRange::Covers(double mes) const {
    return mes == First || (mes > First && mes <= Last && IsFirstOfMonth(mes));
}

TMonthRange TMonthRange::Between(double firstDay, double lastDay) {
    return {FirstOfMonth(firstDay), FirstOfMonth(lastDay)};
}

const TMonthTexts& TMonthTextSet::Of(double mes) const {
    static const TMonthTexts none;
    const auto found = ByMonth.constFind(mes);
    return found != ByMonth.constEnd() ? *found : none;
}

TMonthTextReader::TMonthTextReader(TIBDatabase* db, TIBTransaction* t) {
    BindStatement(
        histories_, db, t,
        "select mes, data, lanc, histor from lanconta where cond = :wcond and mes >= :wmesi "
        "and mes <= :wmesf and r_d <> 'R' ");
    BindStatement(
        parcelas_, db, t,
        "select l.mes, d.numrec, d.cota, d.parcela from lanconta l join recemid d on d.numrec "
        "= l.numrec where l.cond = :wcond and l.mes >= :wmesi and l.mes <= :wmesf and l.r_d = "
        "'R' ");
    // A history comes with the row as text when it fits; a longer one is
    // read on its own. Every payable of the months is there, whatever its
    // kind of debtor, so any of them is answered from here.
    BindStatement(
        payables_, db, t,
        "select lanc, venc, char_length(hist), cast(substring(hist from 1 for 8000) as "
        "varchar(8000)) from cpagar where tipodev = 'C' and coddev = :wcond and venc > :wmesi "
        "and venc < :wmesf ");
}

TMonthTextSet TMonthTextReader::Read(int cond, const TMonthRange& months) {
    TMonthTextSet set;
    set.Cond = cond;
    set.Months = months;
    const auto month = [&](TIBSQL& row) -> TMonthTexts* {
        const double mes = row.Fields(0).AsDateTime();
        return months.Covers(mes) ? &set.ByMonth[mes] : nullptr;
    };
    histories_.Params(0).SetAsInteger(cond);
    histories_.Params(1).SetAsDateTime(months.First);
    histories_.Params(2).SetAsDateTime(months.Last);
    EachRow(histories_, [&](TIBSQL& row) {
        if (TMonthTexts* texts = month(row)) {
            texts->Histories.insert({row.Fields(1).AsDateTime(), row.Fields(2).AsInteger()},
                                    row.Fields(3).AsString());
        }
    });
    parcelas_.Params(0).SetAsInteger(cond);
    parcelas_.Params(1).SetAsDateTime(months.First);
    parcelas_.Params(2).SetAsDateTime(months.Last);
    EachRow(parcelas_, [&](TIBSQL& row) {
        if (TMonthTexts* texts = month(row)) {
            texts->Parcelas.insert({row.Fields(1).AsInteger(), row.Fields(2).AsInteger()},
                                   row.Fields(3).AsString());
        }
    });
    // Due from the first month's key to the last month's last day; each in
    // the month it falls due in (the first month's key at the earliest).
    payables_.Params(0).SetAsInteger(cond);
    payables_.Params(1).SetAsDateTime(months.First - 1);
    payables_.Params(2).SetAsDateTime(DateTime::LastDayOfMonth(months.Last) + 1);
    EachRow(payables_, [&](TIBSQL& row) {
        if (row.Fields(2).AsInteger() > kWholeHistory) {
            return;
        }
        const double venc = row.Fields(1).AsDateTime();
        const double mes = std::max(months.First, FirstOfMonth(venc));
        set.ByMonth[mes].Payables.insert(row.Fields(0).AsInteger(),
                                         {venc, row.Fields(3).AsString()});
    });
    return set;
}

TChartNameReader::TChartNameReader(TIBDatabase* db, TIBTransaction* t) {
    BindStatement(chart_, db, t,
                  "select tipo, subconta, nome from subconta where estru = :westru ");
}

TChartNames TChartNameReader::Read(int estru) {
    TChartNames names;
    chart_.Params(0).SetAsInteger(estru);
    // The first row of a kind and code names it, as a lookup of it alone
    // would.
    EachRow(chart_, [&](TIBSQL& row) {
        const QPair<QString, QString> key{row.Fields(0).AsString(), row.Fields(1).AsString()};
        if (!names.contains(key)) {
            names.insert(key, row.Fields(2).AsString());
        }
    });
    return names;
}
