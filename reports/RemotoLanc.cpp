#include "RemotoLanc.h"

#include "DMod.h"
#include "DateTime.h"
#include "Exception.h"
#include "IBError.h"
#include "LancHistory.h"
#include "RemotoLancRun.h"

#include <memory>

namespace {
// SQL codes of a row changed by another transaction since this one began,
// and of a second row with the same primary key.
constexpr std::int32_t kUpdateConflict = -913;
constexpr std::int32_t kDuplicateKey = -803;
} // namespace

QString TipoPeriodo;
double DataIni = 0;
double DataFim = 0;
int TipoConta = 0;
int GrauConta = 0;
bool AlgumasContas = false;
QString ContasSel;

namespace RemotoLanc {

namespace {

QString Head(const QString& procedure) {
    return QStringLiteral("SELECT substring(subconta from 1 for 1) as grau1,  "
                          "substring(subconta from 1 for 4) as grau2,  "
                          "substring(subconta from 1 for 7) as grau3,  "
                          "substring(subconta from 1 for 10) as grau4,  "
                          "character_length(subconta) as tamanho,  ") +
           procedure + QStringLiteral(".* FROM  ") + procedure +
           QStringLiteral("(:wgrupo,:wimovel,:wmesrec,:wmescota,:wcota,:wmes1,:wmesini,:wmesfim) ");
}

QString CodeCondition(int grau, const QString& list) {
    static const int lengths[] = {1, 4, 7, 10};
    if (grau < 0 || grau > 3) {
        return QString();
    }
    return QStringLiteral(" substring(subconta from 1 for %1) in ").arg(lengths[grau]) + list;
}

} // namespace

QStringList Vocabulary() {
    return {QStringLiteral("Conta"),   QStringLiteral("Cota"),    QStringLiteral("Cotas"),
            QStringLiteral("Grupo"),   QStringLiteral("Imóvel"),  QStringLiteral("Imóveis"),
            QStringLiteral("MêsRec2"), QStringLiteral("MêsRec4"), QStringLiteral("MêsCota2"),
            QStringLiteral("MêsCota4")};
}

QStringList ScanMarcas(const QString& histor, const QStringList& vocabulario) {
    QStringList marcas;
    QString name;
    bool inside = false;
    for (const QChar c : histor) {
        if (c == QLatin1Char('{')) {
            name.clear();
            inside = true;
            continue;
        }
        if (inside) {
            name += c;
        }
        if (c == QLatin1Char('}')) {
            // The name is kept: a second closing brace shortens it again and
            // looks the shorter name up.
            name.chop(1);
            if (vocabulario.contains(name, Qt::CaseInsensitive)) {
                marcas << name;
            }
            inside = false;
        }
    }
    return marcas;
}

QString BuildStatement(const TStatementInputs& in) {
    const bool month = in.TipoPeriodo == QStringLiteral("mês");
    QString sql = Head(month ? QStringLiteral("sp_lanc_por_conta_remoto")
                             : QStringLiteral("sp_lanc_por_conta_remoto_per"));
    QString filter;
    if (in.TipoConta == 0) {
        filter = QStringLiteral("where (R_D = 'E' or R_D = 'R') ");
    } else if (in.TipoConta == 1) {
        filter = QStringLiteral("where (R_D = 'D') ");
    }
    if (in.AlgumasContas) {
        const QString cond =
            CodeCondition(in.GrauConta, QLatin1Char('(') + in.ContasSel + QLatin1Char(')'));
        filter += (filter.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ")) + cond;
    }
    filter += QStringLiteral(" order by  cond,conta,subconta,data,trab,lanc");
    return sql + filter;
}

TFlags FlagsFor(const QStringList& marcas) {
    TFlags f;
    const QString yes = QStringLiteral("S");
    for (const QString& m : marcas) {
        if (m == QStringLiteral("Grupo")) {
            f.wgrupo = yes;
        } else if (m == QStringLiteral("Imóvel")) {
            f.wimovel = yes;
        } else if (m == QStringLiteral("MêsRec2") || m == QStringLiteral("MêsRec4")) {
            f.wmesrec = yes;
        } else if (m == QStringLiteral("MêsCota2") || m == QStringLiteral("MêsCota4")) {
            f.wmescota = yes;
        } else if (m == QStringLiteral("Cota")) {
            f.wcota = yes;
        }
    }
    return f;
}

TDateParams DateParams(const QString& tipoPeriodo, double mesRel, double dataIni, double dataFim) {
    TDateParams p;
    p.wmes1 = mesRel;
    if (tipoPeriodo == QStringLiteral("mês")) {
        p.wmesini = mesRel - 1;
        p.wmesfim = DateTime::LastDayOfMonth(mesRel) + 1;
    } else {
        p.wmesini = dataIni - 1;
        p.wmesfim = dataFim + 1;
    }
    return p;
}

TMonthRange ReportMonths(const QString& tipoPeriodo, double mesRel, double dataIni,
                         double dataFim) {
    if (tipoPeriodo == QStringLiteral("mês")) {
        return {mesRel, mesRel};
    }
    return TMonthRange::Between(dataIni, dataFim);
}

QString MarkDay(const QString& stored, int dia) {
    QString marks = stored;
    if (marks.size() < dia) {
        marks = marks.leftJustified(31, QLatin1Char(' '));
    }
    if (dia >= 1 && dia <= marks.size()) {
        marks[dia - 1] = QLatin1Char('C');
    }
    return marks;
}

} // namespace RemotoLanc

TFRemotoLanc::TFRemotoLanc(QObject* owner)
    : QObject(owner), DSLanc(&QLanc), Lookups(&DM->BDados, &TransaGeral),
      ListBox1(RemotoLanc::Vocabulary()), run_(std::make_unique<TRemotoLancRun>()) {
    setObjectName(QStringLiteral("FRemotoLanc"));
    TransaGeral.SetDefaultDatabase(&DM->BDados);
    TransaGeral.Params() = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                            QStringLiteral("nowait")};
    Transa.SetDefaultDatabase(&DM->BDados);
    for (TIBQuery* q : {&QLanc, &QSaldo}) {
        q->SetDatabase(&DM->BDados);
        q->SetTransaction(&TransaGeral);
    }
    SQLGeral.SetDatabase(&DM->BDados);
    SQLGeral.SetTransaction(&TransaGeral);
    SQL.SetDatabase(&DM->BDados);
    SQL.SetTransaction(&Transa);
    QSaldo.SetSQL(QStringLiteral("select * from pega_saldo(:wcond,:wconta,:wmes)"));
    DeclareFields();
    CreateReport();
    FormCreate();
}

TFRemotoLanc::~TFRemotoLanc() {
    // Rolling back undoes the run's CONDSEL change; errors here are dropped
    // as the form goes away regardless.
    for (TIBTransaction* t : {&TransaGeral, &Transa}) {
        try {
            t->SetActive(false);
        } catch (const Exception&) {
        }
    }
}

// The columns the handlers read, by name; opening a statement without one
// of them fails at once rather than in the middle of the report.
void TFRemotoLanc::DeclareFields() {
    const auto text = [this](const char* name) {
        return &QLanc.AddField<TIBStringField>(QString::fromLatin1(name));
    };
    const auto integer = [this](const char* name) {
        return &QLanc.AddField<TIntegerField>(QString::fromLatin1(name));
    };
    const auto date = [this](const char* name) {
        return &QLanc.AddField<TDateTimeField>(QString::fromLatin1(name));
    };
    const auto amount = [this](const char* name) {
        return &QLanc.AddField<TIBBCDField>(QString::fromLatin1(name));
    };
    F.GRAU1 = text("GRAU1");
    F.GRAU2 = text("GRAU2");
    F.GRAU3 = text("GRAU3");
    F.GRAU4 = text("GRAU4");
    F.TAMANHO = integer("TAMANHO");
    F.MES = date("MES");
    F.COND = integer("COND");
    F.CONTA = integer("CONTA");
    F.SUBCONTA = text("SUBCONTA");
    F.DATA = date("DATA");
    F.R_D = text("R_D");
    F.RECDESP = text("RECDESP");
    F.COTA = integer("COTA");
    F.COMPLEM = text("COMPLEM");
    F.GRUPO = text("GRUPO");
    F.MESREFREC = date("MESREFREC");
    F.MESREFCOTA = date("MESREFCOTA");
    F.LANC = integer("LANC");
    F.NUMREC = integer("NUMREC");
    F.VAL_REC = amount("VAL_REC");
    F.VAL_COTA = amount("VAL_COTA");
    F.VAL_LANC = amount("VAL_LANC");
    F.TRAB = text("TRAB");
    F.ESTRUTU = integer("ESTRUTU");
    F.TIPREG = text("TIPREG");
    for (const char* name : {"RECEITAS", "DESPESAS", "SALDOFIM"}) {
        QSaldo.AddField<TIBBCDField>(QString::fromLatin1(name));
    }
}

void TFRemotoLanc::FormCreate() {
    Vocabulario = ListBox1;
    TransaGeral.StartTransaction();
    SQLGeral.Close();
    SQLGeral.SetSQL(
        QStringLiteral("select nome,tipo,detsint,norcons,incdev,histor,formaimp,  "
                       "discota,estrutura,subconta,extrato,emitir,vias,mensa1,  mensa2, "
                       "mensa3,dsint,imp_merref, bal_por_imovel from balancetes where cod = ") +
        QString::number(DM->CodBalancete));
    SQLGeral.ExecQuery();
    Memo2 = SQLGeral.Eof() ? QString() : SQLGeral.Fields(5).AsString();
    SQLGeral.Close();
    Marcas = RemotoLanc::ScanMarcas(Memo2, Vocabulario);
    listsCotas_ = Marcas.contains(QStringLiteral("Cotas"), Qt::CaseInsensitive);
    listsImoveis_ = Marcas.contains(QStringLiteral("Imóveis"), Qt::CaseInsensitive);
}

void TFRemotoLanc::ImprimeBalancete(const TPagesTarget& target) {
    run_->MesRel = DM->MesAtual;
    QLanc.Close();
    QLanc.SetSQL(
        RemotoLanc::BuildStatement({TipoPeriodo, TipoConta, GrauConta, AlgumasContas, ContasSel}));
    SetParams();
    // The texts of the lances are read meanwhile on a second connection:
    // the server takes a while before the report's first row.
    if (TLancReadAhead::Enabled()) {
        Lookups.ReadAhead(std::make_unique<TLancReadAhead>(
            DM->BDados, DM->CondLogado,
            RemotoLanc::ReportMonths(TipoPeriodo, run_->MesRel, DataIni, DataFim),
            DM->EstruturaCond));
    }
    SelectCondominium();
    QLanc.Open();
    // The engine reports its own failures while preparing; the run goes on
    // to log the emission whatever the preview did.
    RL1.Preview(target);
    Lookups.EndReadAhead();
    QLanc.Close();
    LogEmissionRetrying();
}

// Two runs for the same condominium and month at the same moment may both
// find no log row and both insert it, or both update it: the later one then
// fails on the first one's row after waiting for it, though its report was
// shown. Its transaction could not see that row; a new one can, so the log
// is written again, a few times at most.
void TFRemotoLanc::LogEmissionRetrying() {
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        try {
            LogEmission();
            return;
        } catch (const EIBError& e) {
            const bool conflict = e.SQLCode() == kUpdateConflict || e.SQLCode() == kDuplicateKey;
            try {
                Transa.SetActive(false); // rolls back what this attempt wrote
            } catch (const Exception&) {
            }
            if (!conflict || attempt == kAttempts) {
                throw;
            }
        }
    }
}

void TFRemotoLanc::SetParams() {
    const RemotoLanc::TFlags f = RemotoLanc::FlagsFor(Marcas);
    QLanc.ParamByName(QStringLiteral("wgrupo")).SetAsString(f.wgrupo);
    QLanc.ParamByName(QStringLiteral("wimovel")).SetAsString(f.wimovel);
    QLanc.ParamByName(QStringLiteral("wmesrec")).SetAsString(f.wmesrec);
    QLanc.ParamByName(QStringLiteral("wmescota")).SetAsString(f.wmescota);
    QLanc.ParamByName(QStringLiteral("wcota")).SetAsString(f.wcota);
    const RemotoLanc::TDateParams d =
        RemotoLanc::DateParams(TipoPeriodo, run_->MesRel, DataIni, DataFim);
    QLanc.ParamByName(QStringLiteral("wmes1")).SetAsDateTime(d.wmes1);
    QLanc.ParamByName(QStringLiteral("wmesini")).SetAsDateTime(d.wmesini);
    QLanc.ParamByName(QStringLiteral("wmesfim")).SetAsDateTime(d.wmesfim);
}

void TFRemotoLanc::SelectCondominium() {
    SQLGeral.Close();
    SQLGeral.SetSQL(QStringLiteral("delete from condsel"));
    SQLGeral.ExecQuery();
    SQLGeral.Close();
    SQLGeral.SetSQL(QStringLiteral("insert into CONDSEL (cond,sel) values (") +
                    QString::number(DM->CondLogado) + QStringLiteral(",'S') "));
    SQLGeral.ExecQuery();
    SQLGeral.Close();
}

void TFRemotoLanc::LogEmission() {
    Transa.SetActive(false);
    Transa.SetActive(true);
    const DateTime::Date d = DateTime::DecodeDate(run_->MesRel);
    const double wmes = DateTime::EncodeDate(d.Year, d.Month, 1);
    const int dia = d.Day;
    SQLGeral.Close();
    SQLGeral.SetSQL(QStringLiteral("select cond from condsel "));
    SQLGeral.ExecQuery();
    const QString blank(31, QLatin1Char(' '));
    // One mark text for the whole loop, as every row marks the same day.
    QString marks = blank;
    while (!SQLGeral.Eof()) {
        const std::int32_t cod = SQLGeral.Fields(0).AsInteger();
        SQL.Close();
        SQL.SetSQL(QStringLiteral("select count(*) from emissoes where cod = :wcod and mes = "
                                  ":wmes "));
        SQL.Params(0).SetAsInteger(cod);
        SQL.Params(1).SetAsDateTime(wmes);
        SQL.ExecQuery();
        const std::int32_t count = SQL.Fields(0).AsInteger();
        SQL.Close();
        if (count >= 1) {
            SQL.SetSQL(QStringLiteral("select diasbal01 from emissoes where cod = :wcod and mes "
                                      "= :wmes "));
            SQL.Params(0).SetAsInteger(cod);
            SQL.Params(1).SetAsDateTime(wmes);
            SQL.ExecQuery();
            marks = RemotoLanc::MarkDay(SQL.Fields(0).AsString(), dia);
            SQL.Close();
            SQL.SetSQL(QStringLiteral("update emissoes set diasbal01 = :wdias where cod = :wcod "
                                      "and mes = :wmes "));
            SQL.Params(0).SetAsString(marks);
            SQL.Params(1).SetAsInteger(cod);
            SQL.Params(2).SetAsDateTime(wmes);
        } else {
            marks = RemotoLanc::MarkDay(marks, dia);
            SQL.SetSQL(QStringLiteral("insert into emissoes (cod, mes, diasbol01, diasbal01)  "
                                      "values (:wcod,:wmes,:wbol,:wbal) "));
            SQL.Params(0).SetAsInteger(cod);
            SQL.Params(1).SetAsDateTime(wmes);
            SQL.Params(2).SetAsString(blank);
            SQL.Params(3).SetAsString(marks);
        }
        SQL.ExecQuery();
        SQL.Close();
        SQLGeral.Next();
    }
    SQLGeral.Close();
    if (Transa.Active()) {
        Transa.Commit();
    }
    Transa.SetActive(false);
}

QString TFRemotoLanc::FirstText(const QString& statement) {
    SQLGeral.Close();
    SQLGeral.SetSQL(statement);
    return FirstText();
}

QString TFRemotoLanc::FirstText() {
    SQLGeral.ExecQuery();
    const QString text = SQLGeral.Eof() ? QString() : SQLGeral.Fields(0).AsString();
    SQLGeral.Close();
    return text;
}

QString TFRemotoLanc::MontaNomeCota(int cota, const QString& parcela, double mes) {
    const QString name = Lookups.NomeCota(lancCond_, cota);
    return LancHistory::FillCotaMask(name, parcela, mes);
}

void TFRemotoLanc::HeadLancText() {
    run_->ListaCotas.clear();
    run_->ListaImoveis.clear();
    run_->LancRD.clear();
    run_->LancTipReg.clear();
}

void TFRemotoLanc::DetalheText() {
    TRemotoLancRun& run = *run_;
    Memo1 = Memo2;
    run.LancGrupo = F.GRUPO->AsString();
    run.LancComplem = F.COMPLEM->AsString();
    run.LancMesRefRec = F.MESREFREC->AsDateTime();
    run.LancMesRefCota = F.MESREFCOTA->AsDateTime();
    run.LancCota = F.COTA->AsInteger();
    run.LancConta = F.CONTA->AsInteger();
    run.LancNumRec = F.NUMREC->AsInteger();
    run.LancMes = F.MES->AsDateTime();
    lancCond_ = F.COND->AsInteger();
    run.LancRD = F.R_D->AsString();
    run.LancTipReg = F.TIPREG->AsString();
    if (run.LancRD == QStringLiteral("R")) {
        // The row's instalment only matters to the list of units, so it is
        // looked up only for it.
        if (listsCotas_) {
            const QString parcela =
                Lookups.Parcela(lancCond_, run.LancMes, run.LancNumRec, run.LancCota);
            run.ListaCotas = LancHistory::AddToList(
                run.ListaCotas, MontaNomeCota(run.LancCota, parcela, run.LancMesRefCota));
        }
        if (listsImoveis_) {
            run.ListaImoveis = LancHistory::AddToList(run.ListaImoveis, F.COMPLEM->AsString());
        }
    }
    run.LancLanc = F.LANC->AsInteger();
    run.LancData = F.DATA->AsDateTime();
}

QString TFRemotoLanc::TotLancText() {
    TRemotoLancRun& run = *run_;
    if (run.LancTipReg == QStringLiteral("Y")) {
        Memo1 = Lookups.HistPagar(lancCond_, run.LancMes, run.LancMes - 1,
                                  DateTime::LastDayOfMonth(run.LancMes) + 1, run.LancLanc,
                                  run.LancData);
    } else if (run.LancRD != QStringLiteral("R")) {
        Memo1 = Lookups.HistLanc(lancCond_, run.LancMes, run.LancData, run.LancLanc);
    } else {
        LancHistory::TLanceValues v;
        v.Conta = [this, &run] { return Lookups.NomeRedConta(run.LancConta); };
        v.Cota = [this, &run] {
            return MontaNomeCota(
                run.LancCota, Lookups.Parcela(lancCond_, run.LancMes, run.LancNumRec, run.LancCota),
                run.LancMes);
        };
        v.Grupo = run.LancGrupo;
        v.Imovel = run.LancComplem;
        v.MesRefRec = run.LancMesRefRec;
        v.MesRefCota = run.LancMesRefCota;
        Memo1 = LancHistory::FillTemplate(Memo1, Marcas, v, run.ListaCotas, run.ListaImoveis);
    }
    run.ListaCotas.clear();
    run.ListaImoveis.clear();
    return Memo1;
}

void RunRemotoLanc(QObject* owner, const TPagesTarget& target) {
    const std::unique_ptr<TFRemotoLanc> form = std::make_unique<TFRemotoLanc>(owner);
    form->ImprimeBalancete(target);
}
