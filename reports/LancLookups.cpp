#include "LancLookups.h"

namespace {

void Bind(TIBSQL& sql, TIBDatabase* db, TIBTransaction* t, const char* text) {
    sql.SetDatabase(db);
    sql.SetTransaction(t);
    sql.SetSQL(QString::fromUtf8(text));
}

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

TLancLookups::TLancLookups(TIBDatabase* db, TIBTransaction* t) {
    Bind(parcela_, db, t,
         "select parcela from recemid where numrec = :wnumrec and cota = :wcota order by "
         "numrec,cota ");
    Bind(nomeCota_, db, t, "select nomered from cota where cota = :wcota order by cota ");
    Bind(nomeConta_, db, t, "select nomered from conta where cod = :wcod order by cod ");
    Bind(histPagar_, db, t,
         "select hist from cpagar where (venc > :wmesi and venc < :mesf) and lanc = :wlanc and "
         "venc = :wdatalanc ");
    Bind(histLanc_, db, t,
         "select histor, valor from lanconta where mes = :wmes and data = :wdata and lanc = "
         ":wlanc order by mes,data,lanc ");
    // A code holding a quote, or a chart with no structure number, finds no
    // name instead of breaking the statement.
    Bind(subconta_, db, t,
         "select nome from subconta where estru = :westru and tipo = :wtipo and subconta = "
         ":wsub ");
}

QString TLancLookups::First(TIBSQL& sql) {
    sql.ExecQuery();
    const QString text = sql.Eof() ? QString() : sql.Fields(0).AsString();
    sql.Close();
    return text;
}

QString TLancLookups::Parcela(int numrec, int cota) {
    parcela_.Params(0).SetAsInteger(numrec);
    parcela_.Params(1).SetAsInteger(cota);
    return First(parcela_);
}

QString TLancLookups::NomeCota(int cota) {
    return Cached(nomesCota_, cota, [&] {
        nomeCota_.Params(0).SetAsInteger(cota);
        return First(nomeCota_);
    });
}

QString TLancLookups::NomeConta(int cod) {
    return Cached(nomesConta_, cod, [&] {
        nomeConta_.Params(0).SetAsInteger(cod);
        return First(nomeConta_);
    });
}

QString TLancLookups::HistPagar(double mesi, double mesf, int lanc, double data) {
    histPagar_.Params(0).SetAsDateTime(mesi);
    histPagar_.Params(1).SetAsDateTime(mesf);
    histPagar_.Params(2).SetAsInteger(lanc);
    histPagar_.Params(3).SetAsDateTime(data);
    return First(histPagar_);
}

QString TLancLookups::HistLanc(double mes, double data, int lanc) {
    histLanc_.Params(0).SetAsDateTime(mes);
    histLanc_.Params(1).SetAsDateTime(data);
    histLanc_.Params(2).SetAsInteger(lanc);
    return First(histLanc_);
}

QString TLancLookups::NomeSubconta(const QString& estru, const QString& kind, const QString& code) {
    const QString key = estru + QLatin1Char('|') + kind + QLatin1Char('|') + code;
    return Cached(nomesSubconta_, key, [&] {
        bool isNumber = false;
        const int number = estru.toInt(&isNumber);
        if (isNumber) {
            subconta_.Params(0).SetAsInteger(number);
        } else {
            subconta_.Params(0).Clear();
        }
        subconta_.Params(1).SetAsString(kind);
        subconta_.Params(2).SetAsString(code);
        return First(subconta_);
    });
}
