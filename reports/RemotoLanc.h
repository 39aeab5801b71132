#pragma once
// "Balancete Detalhado por Conta": every entry of the chosen month or period
// by account, with history texts and balances. The form is never shown; it
// holds the report, the query that feeds it and the statements its band
// handlers use, and serves one run. What the handlers carry from band to
// band is the run's own (RemotoLancRun.h), not shared here.
#include "IBQuery.h"
#include "IBSQL.h"
#include "LancLookups.h"
#include "RLReport.h"
#include "ReportParts.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

struct TRemotoLancRun;

// What the selection screen hands over before each run. The condominium,
// its balance report settings and chart of accounts, and the month are the
// login state's, kept in the data module (DM->CondLogado, CodBalancete,
// EstruturaCond, MesAtual).
extern QString TipoPeriodo; // "mês" or "período"
extern double DataIni;
extern double DataFim;
extern int TipoConta; // 0 Receitas, 1 Despesas, 2 Todas
extern int GrauConta; // 0..3: codes of 1, 4, 7 or 10 characters
extern bool AlgumasContas;
extern QString ContasSel; // '1.01','2.01'

// The pure parts of the run, kept apart so they can be checked on their own.
namespace RemotoLanc {

// The placeholder names a history template may use, in the list's order.
QStringList Vocabulary();

// The names of the template's placeholders, in order, one per occurrence,
// as written; names outside the vocabulary (letter case aside) are dropped.
QStringList ScanMarcas(const QString& histor, const QStringList& vocabulario);

struct TStatementInputs {
    QString TipoPeriodo;
    int TipoConta = 2;
    int GrauConta = 0;
    bool AlgumasContas = false;
    QString ContasSel;
};
QString BuildStatement(const TStatementInputs& in);

// "S" or "N" for wgrupo, wimovel, wmesrec, wmescota and wcota.
struct TFlags {
    QString wgrupo = QStringLiteral("N");
    QString wimovel = QStringLiteral("N");
    QString wmesrec = QStringLiteral("N");
    QString wmescota = QStringLiteral("N");
    QString wcota = QStringLiteral("N");
};
TFlags FlagsFor(const QStringList& marcas);

// The dates the procedure is given: the day before the first day and the
// day after the last day of the range.
struct TDateParams {
    double wmes1 = 0;
    double wmesini = 0;
    double wmesfim = 0;
};
TDateParams DateParams(const QString& tipoPeriodo, double mesRel, double dataIni, double dataFim);
// The months whose lances the report shows: the report's month, or those
// of the period's days.
TMonthRange ReportMonths(const QString& tipoPeriodo, double mesRel, double dataIni, double dataFim);

// The stored day marks with day dia set to "C". A text too short for the
// day (an empty or null column) is first filled with blanks to 31.
QString MarkDay(const QString& stored, int dia);

// The amounts of the lance lines and grade totals: blank when zero, a
// blank and the minus sign after a negative one.
inline const char* const AmountPattern = "###,###,##0.00 ;###,###,##0.00 -; ";
// The month's balances: no sign, the mark tells debtor from creditor.
inline const char* const BalancePattern = "###,###,###.00;###,###,###.00; ";
// "(Devedor)" below zero, "(Credor)" above, nothing at zero.
QString BalanceMark(long double value);

} // namespace RemotoLanc

class TFRemotoLanc : public QObject {
public:
    // Loads the history template of the condominium's balance settings.
    explicit TFRemotoLanc(QObject* owner = nullptr);
    ~TFRemotoLanc() override;

    // Runs the report from the inputs above into the target (the preview
    // when empty) and logs the emission.
    void ImprimeBalancete(const TPagesTarget& target = {});

    TIBTransaction TransaGeral;
    TIBTransaction Transa;
    TIBQuery QLanc;
    TIBQuery QSaldo;
    TIBSQL SQLGeral;
    TIBSQL SQL;
    TDataSet* const DSLanc;
    TLancLookups Lookups;
    TRLReport RL1;

    QStringList ListBox1;
    QString Memo1;
    QString Memo2;
    QStringList Vocabulario;
    QStringList Marcas;

    // The unit's short name with its mask filled.
    QString MontaNomeCota(int cota, const QString& parcela, double mes);

    // The text side of the lance handlers: the header empties the lance's
    // lists, each detail row saves what the footer needs, and the footer
    // builds the lance's history into Memo1 and returns it.
    void HeadLancText();
    void DetalheText();
    QString TotLancText();

    // The report's groups, outermost first, and the bands and controls the
    // handlers fill; the report owns them all.
    TRLGroup* GruCond = nullptr;
    TRLGroup* GruConta = nullptr;
    TRLGroup* GruGrau1 = nullptr;
    TRLGroup* GruGrau2 = nullptr;
    TRLGroup* GruGrau3 = nullptr;
    TRLGroup* GruGrau4 = nullptr;
    TRLGroup* GruData = nullptr;
    TRLGroup* GruLanc = nullptr;
    TRLBand* RLBand1 = nullptr;
    TRLBand* RLBand5 = nullptr;
    TRLBand* HeadCond = nullptr;
    TRLBand* HeadConta = nullptr;
    TRLBand* RLBand2 = nullptr;
    TRLBand* RLBand3 = nullptr;
    TRLBand* RLBand4 = nullptr;
    TRLBand* RLBand10 = nullptr;
    TRLBand* HeadData = nullptr;
    TRLBand* HeadLanc = nullptr;
    TRLBand* RLDetalhe = nullptr;
    TRLBand* RLTotLanc = nullptr;
    TRLBand* RLTotData = nullptr;
    TRLBand* RLBand11 = nullptr;
    TRLBand* RLTotGru3 = nullptr;
    TRLBand* RLBand6 = nullptr;
    TRLBand* RLBand7 = nullptr;
    TRLBand* RLBand8 = nullptr;
    TRLBand* RLBand9 = nullptr;
    TRLLabel* RLGrau1 = nullptr;
    TRLLabel* RLLabel7 = nullptr;
    TRLLabel* RLLabel8 = nullptr;
    TRLLabel* RLLabel50 = nullptr;
    TRLLabel* RLLabel11 = nullptr;
    TRLLabel* TotGru2 = nullptr;
    TRLLabel* TotGru3 = nullptr;
    TRLLabel* TotGru4 = nullptr;
    TRLLabel* RLLabel42 = nullptr;
    TRLLabel* RLLabel44 = nullptr;
    TRLLabel* RLLabel9 = nullptr;
    TRLMemo* RLMemo1 = nullptr;
    TRLLabel* RLLabel10 = nullptr;
    TRLLabel* RLLabel46 = nullptr;
    TRLLabel* RLLabel54 = nullptr;
    TRLLabel* RLLabel55 = nullptr;
    TRLLabel* RLLabel14 = nullptr;
    TRLLabel* RLLabel39 = nullptr;
    TRLLabel* RLLabel15 = nullptr;
    TRLLabel* RLLabel41 = nullptr;
    TRLLabel* RLLabel16 = nullptr;
    TRLLabel* RLLabel43 = nullptr;
    TRLLabel* RLLabel2 = nullptr;
    TRLLabel* RLLabel3 = nullptr;
    TRLLabel* RLLabel5 = nullptr;
    TRLMemo* RLMemo2 = nullptr;
    // The four amounts and two marks of the account and condominium boxes.
    struct TBalanceBox {
        TRLLabel* Ini = nullptr;
        TRLLabel* Receitas = nullptr;
        TRLLabel* Despesas = nullptr;
        TRLLabel* Fim = nullptr;
        TRLLabel* MarkIni = nullptr;
        TRLLabel* MarkFim = nullptr;
    };
    TBalanceBox Box8;
    TBalanceBox Box9;

    // QLanc's columns, declared once so the handlers read them directly.
    struct TLancFields {
        TIBField* GRAU1 = nullptr;
        TIBField* GRAU2 = nullptr;
        TIBField* GRAU3 = nullptr;
        TIBField* GRAU4 = nullptr;
        TIBField* TAMANHO = nullptr;
        TIBField* MES = nullptr;
        TIBField* COND = nullptr;
        TIBField* CONTA = nullptr;
        TIBField* SUBCONTA = nullptr;
        TIBField* DATA = nullptr;
        TIBField* R_D = nullptr;
        TIBField* RECDESP = nullptr;
        TIBField* COTA = nullptr;
        TIBField* COMPLEM = nullptr;
        TIBField* GRUPO = nullptr;
        TIBField* MESREFREC = nullptr;
        TIBField* MESREFCOTA = nullptr;
        TIBField* LANC = nullptr;
        TIBField* NUMREC = nullptr;
        TIBField* VAL_REC = nullptr;
        TIBField* VAL_COTA = nullptr;
        TIBField* VAL_LANC = nullptr;
        TIBField* TRAB = nullptr;
        TIBField* ESTRUTU = nullptr;
        TIBField* TIPREG = nullptr;
    };
    TLancFields F;

private:
    // Column 0 of the first row as text; empty when there is none.
    QString FirstText(const QString& statement);
    QString FirstText();
    void DeclareFields();
    void FormCreate();
    void SelectCondominium();
    void SetParams();
    void LogEmission();
    void LogEmissionRetrying();
    // The condominium of the lance's rows, for the lookups of its texts.
    int lancCond_ = 0;
    // Whether the template lists the lance's units or properties, as its
    // placeholders were found at creation (letter case aside).
    bool listsCotas_ = false;
    bool listsImoveis_ = false;

    // Building the report (RemotoLancReport.cpp).
    void CreateReport();
    void CreatePageHeader();
    void CreateGroups();
    TBalanceBox CreateBalanceBox(TRLBand* band, int amountRight);
    void CreateGradeBands();
    void CreateLanceBands();
    void BindHandlers();

    // The band handlers.
    void GruCondBeforePrint(TRLCustomControl* sender, bool& printIt);
    void GruContaBeforePrint(TRLCustomControl* sender, bool& printIt);
    void GradeStart(int grade, bool& printIt);
    void RLBand2BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand3BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand4BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand10BeforePrint(TRLCustomControl* sender, bool& printIt);
    void GruDataBeforePrint(TRLCustomControl* sender, bool& printIt);
    void HeadLancBeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLDetalheBeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLTotLancBeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLTotLancAfterPrint(TRLCustomControl* sender);
    void RLTotGru3BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand11BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand6BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand7BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand1BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand8BeforePrint(TRLCustomControl* sender, bool& printIt);
    void RLBand9BeforePrint(TRLCustomControl* sender, bool& printIt);
    // Runs pega_saldo for an account (-1: all of them) and fills a box.
    void FillBalances(int conta, const TBalanceBox& box);

    std::unique_ptr<TRemotoLancRun> run_;
};

// What the selection screen's "Gerar Relatório" does: creates the form,
// runs it and releases it. The tool hands a target that keeps the pages.
void RunRemotoLanc(QObject* owner, const TPagesTarget& target = {});
