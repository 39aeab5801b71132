#include "LancLookups.h"

#include "StatementRows.h"

namespace {

// Reads a name once; a later call for the same key gives the same text.
template <typename Key, typename Read>
QString Cached(QHash<Key, QString>& cache, const Key& key, Read read) {
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    const QString text = read();
    cache.insert(key, text);
    return text;
}

} // namespace

TLancLookups::TLancLookups(TIBDatabase* db, TIBTransaction* t)
    : monthReader_(db, t), chartReader_(db, t) {
    BindStatement(parcela_, db, t,
                  "select parcela from recemid where numrec = :wnumrec and cota = :wcota order by "
                  "numrec,cota ");
    BindStatement(nomeCota_, db, t, "select nomered from cota where cota = :wcota order by cota ");
    BindStatement(condCota_, db, t, "select cota, nomered from cota where cond = :wcond ");
    BindStatement(nomeRedConta_, db, t,
                  "select nomered from conta where cod = :wcod order by cod ");
    BindStatement(nomeConta_, db, t, "select nome from conta where cod = :wcod");
    BindStatement(nomeCond_, db, t, "select nome from cond where cond = :wcond ");
    BindStatement(
        histPagar_, db, t,
        "select hist from cpagar where (venc > :wmesi and venc < :mesf) and lanc = :wlanc and "
        "venc = :wdatalanc ");
    BindStatement(
        histLanc_, db, t,
        "select histor, valor from lanconta where mes = :wmes and data = :wdata and lanc = "
        ":wlanc order by mes,data,lanc ");
    // A code holding a quote, or a chart with no structure number, finds no
    // name instead of breaking the statement.
    BindStatement(
        subconta_, db, t,
        "select nome from subconta where estru = :westru and tipo = :wtipo and subconta = "
        ":wsub ");
}

const TMonthTexts& TLancLookups::Month(int cond, double mes) {
    if (ahead_) {
        const TMonthTextSet* read = ahead_->Months();
        if (read && read->Cond == cond && read->Months.Covers(mes)) {
            return read->Of(mes);
        }
    }
    const QPair<int, double> key{cond, mes};
    const auto found = months_.constFind(key);
    if (found != months_.constEnd()) {
        return *found;
    }
    TMonthTextSet read = monthReader_.Read(cond, {mes, mes});
    return *months_.insert(key, std::move(read.ByMonth[mes]));
}

const TChartNames& TLancLookups::Chart(int estru) {
    if (ahead_) {
        if (const TChartNames* read = ahead_->Chart(estru)) {
            return *read;
        }
    }
    const auto found = charts_.constFind(estru);
    if (found != charts_.constEnd()) {
        return *found;
    }
    return *charts_.insert(estru, chartReader_.Read(estru));
}

QString TLancLookups::Parcela(int cond, double mes, int numrec, int cota) {
    const TMonthTexts& month = Month(cond, mes);
    const auto found = month.Parcelas.constFind({numrec, cota});
    if (found != month.Parcelas.constEnd()) {
        return *found;
    }
    parcela_.Params(0).SetAsInteger(numrec);
    parcela_.Params(1).SetAsInteger(cota);
    return FirstText(parcela_);
}

QString TLancLookups::NomeCota(int cond, int cota) {
    if (!condCotas_.contains(cond)) {
        condCotas_.insert(cond);
        condCota_.Params(0).SetAsInteger(cond);
        EachRow(condCota_, [&](TIBSQL& row) {
            nomesCota_.insert(row.Fields(0).AsInteger(), row.Fields(1).AsString());
        });
    }
    return Cached(nomesCota_, cota, [&] {
        nomeCota_.Params(0).SetAsInteger(cota);
        return FirstText(nomeCota_);
    });
}

QString TLancLookups::NomeRedConta(int cod) {
    return Cached(nomesRedConta_, cod, [&] {
        if (const auto* conta = ReadAheadConta(cod)) {
            return conta->second;
        }
        nomeRedConta_.Params(0).SetAsInteger(cod);
        return FirstText(nomeRedConta_);
    });
}

QString TLancLookups::NomeConta(int cod) {
    return Cached(nomesConta_, cod, [&] {
        if (const auto* conta = ReadAheadConta(cod)) {
            return conta->first;
        }
        nomeConta_.Params(0).SetAsInteger(cod);
        return FirstText(nomeConta_);
    });
}

QString TLancLookups::NomeCond(int cond) {
    return Cached(nomesCond_, cond, [&] {
        const TCondNames* names = ahead_ && ahead_->Cond() == cond ? ahead_->Names() : nullptr;
        if (names) {
            return names->Cond;
        }
        nomeCond_.Params(0).SetAsInteger(cond);
        return FirstText(nomeCond_);
    });
}

const QPair<QString, QString>* TLancLookups::ReadAheadConta(int cod) {
    const TCondNames* names = ahead_ ? ahead_->Names() : nullptr;
    if (!names) {
        return nullptr;
    }
    const auto found = names->Contas.constFind(cod);
    return found != names->Contas.constEnd() ? &*found : nullptr;
}

QString TLancLookups::HistPagar(int cond, double mes, double mesi, double mesf, int lanc,
                                double data) {
    // The payable is the row of its number: its own due date answers the
    // statement's conditions.
    const TMonthTexts& month = Month(cond, mes);
    const auto found = month.Payables.constFind(lanc);
    if (found != month.Payables.constEnd()) {
        const double venc = found->first;
        return venc > mesi && venc < mesf && venc == data ? found->second : QString();
    }
    histPagar_.Params(0).SetAsDateTime(mesi);
    histPagar_.Params(1).SetAsDateTime(mesf);
    histPagar_.Params(2).SetAsInteger(lanc);
    histPagar_.Params(3).SetAsDateTime(data);
    return FirstText(histPagar_);
}

QString TLancLookups::HistLanc(int cond, double mes, double data, int lanc) {
    const TMonthTexts& month = Month(cond, mes);
    const auto found = month.Histories.constFind({data, lanc});
    if (found != month.Histories.constEnd()) {
        return *found;
    }
    histLanc_.Params(0).SetAsDateTime(mes);
    histLanc_.Params(1).SetAsDateTime(data);
    histLanc_.Params(2).SetAsInteger(lanc);
    return FirstText(histLanc_);
}

QString TLancLookups::NomeSubconta(const QString& estru, const QString& kind, const QString& code) {
    const QString key = estru + QLatin1Char('|') + kind + QLatin1Char('|') + code;
    return Cached(nomesSubconta_, key, [&] {
        bool isNumber = false;
        const int number = estru.toInt(&isNumber);
        if (isNumber) {
            const TChartNames& chart = Chart(number);
            const auto named = chart.constFind({kind, code});
            if (named != chart.constEnd()) {
                return *named;
            }
            subconta_.Params(0).SetAsInteger(number);
        } else {
            subconta_.Params(0).Clear();
        }
        subconta_.Params(1).SetAsString(kind);
        subconta_.Params(2).SetAsString(code);
        return FirstText(subconta_);
    });
}
