#pragma once
// "Balancete Detalhado por Conta": every entry of the chosen month or period
// by account, with history texts and balances. The form is never shown; it
// holds the report, the query that feeds it and the statements its band
// handlers use, and serves one run.
#include "IBQuery.h"
#include "IBSQL.h"
#include "RLReport.h"

#include <QObject>
#include <QString>
#include <QStringList>

// What the selection screen hands over before each run.
extern QString TipoPeriodo; // "mês" or "período"
extern double DataIni;
extern double DataFim;
extern int TipoConta; // 0 Receitas, 1 Despesas, 2 Todas
extern int GrauConta; // 0..3: codes of 1, 4, 7 or 10 characters
extern bool AlgumasContas;
extern QString ContasSel; // '1.01','2.01'

// The month of the run and its last day.
extern double MesRel;
extern double UltimoDiaMes;

// What the detail rows of a lance leave for its footer, which is printed
// after the dataset has already moved on to the next lance.
extern QString LancRD;
extern QString LancTipReg;
extern QString LancGrupo;
extern QString LancComplem;
extern double LancMesRefRec;
extern double LancMesRefCota;
extern double LancMes;
extern double LancData;
extern int LancCota;
extern int LancConta;
extern int LancNumRec;
extern int LancLanc;
extern QString ListaCotas;
extern QString ListaImoveis;

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
double LastDayOfMonth(double mes);
TDateParams DateParams(const QString& tipoPeriodo, double mesRel, double dataIni, double dataFim);

// The stored day marks with day dia set to "C". A text too short for the
// day (an empty or null column) is first filled with blanks to 31.
QString MarkDay(const QString& stored, int dia);

} // namespace RemotoLanc

class TFRemotoLanc : public QObject {
public:
    // Loads the history template of the condominium's balance settings.
    explicit TFRemotoLanc(QObject* owner = nullptr);
    ~TFRemotoLanc() override;

    // Runs the report from the inputs above and logs the emission.
    void ImprimeBalancete();

    TIBTransaction TransaGeral;
    TIBTransaction Transa;
    TIBQuery QLanc;
    TIBQuery QSaldo;
    TIBSQL SQLGeral;
    TIBSQL SQL;
    TDataSet* const DSLanc;
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

private:
    // Column 0 of the first row as text; empty when there is none.
    QString FirstText(const QString& statement);
    QString FirstText();
    void FormCreate();
    void SelectCondominium();
    void SetParams();
    void LogEmission();
};

// What the selection screen's "Gerar Relatório" does: creates the form,
// runs it and releases it.
void RunRemotoLanc(QObject* owner);
