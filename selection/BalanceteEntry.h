#pragma once
// The balance report as "Gerar Relatório" starts it, for the desktop program
// and the report tool alike: what was chosen becomes the report's inputs,
// then the report form runs once and is released.
#include "ReportParts.h"

#include <QString>

class QObject;

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

// Copies the choice into the balance report's inputs.
void SetBalanceteInputs(const TBalanceteInputs& inputs);

// Sets the inputs, then creates the report form with the owner given, runs
// it into the target (the preview when empty) and releases it. The month
// comes from the login state (MesAtual).
void RunBalancete(QObject* owner, const TBalanceteInputs& inputs, const TPagesTarget& target = {});
