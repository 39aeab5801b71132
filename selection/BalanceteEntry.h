#pragma once
// The balance report as "Gerar Relatório" starts it, for the desktop program
// and the report tool alike: what was chosen becomes the report's inputs,
// then the report form runs once and is released.
#include "ReportEntries.h"
#include "ReportParts.h"

class QObject;

// Copies the choice into the balance report's inputs.
void SetBalanceteInputs(const TBalanceteInputs& inputs);

// Sets the inputs, then creates the report form with the owner given, runs
// it into the target (the preview when empty) and releases it. The month
// comes from the login state (MesAtual).
void RunBalancete(QObject* owner, const TBalanceteInputs& inputs, const TPagesTarget& target = {});
