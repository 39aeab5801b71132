#pragma once
// The three reports as the selection screen starts them. The report forms
// sit in their own layer and are wired in by the program at start-up; a
// report not wired in yet makes its command do nothing.
#include <QString>
#include <functional>

class QWidget;

// What "Gerar Relatório" hands to the balance report, set just before it runs.
struct TBalanceteInputs {
    QString TipoPeriodo; // "mês" or "período"
    double DataIni = 0;  // the start date field
    double DataFim = 0;  // the end date field
    int TipoConta = 0;   // 0 Receitas, 1 Despesas, 2 Todas
    int GrauConta = 0;   // 0 to 3: codes of 1, 4, 7 or 10 characters
    bool AlgumasContas = false;
    QString ContasSel; // '1.01','2.01' when only some accounts are chosen
};

namespace ReportEntries {

// Each entry creates its report form with the owner given, hands it its
// inputs, runs it and releases it.
using Balancete = std::function<void(QWidget* owner, const TBalanceteInputs& inputs)>;
using Listing = std::function<void(QWidget* owner)>;

void SetImprimeBalancete(Balancete entry);
void SetImprimeInadimplencia(Listing entry);
void SetImprimeCompromissados(Listing entry);

void ImprimeBalancete(QWidget* owner, const TBalanceteInputs& inputs);
void ImprimeInadimplencia(QWidget* owner);
void ImprimeCompromissados(QWidget* owner);

} // namespace ReportEntries
