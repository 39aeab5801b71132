#include "BalanceteEntry.h"

#include "RemotoLanc.h"

void SetBalanceteInputs(const TBalanceteInputs& inputs) {
    TipoPeriodo = inputs.TipoPeriodo;
    DataIni = inputs.DataIni;
    DataFim = inputs.DataFim;
    TipoConta = inputs.TipoConta;
    GrauConta = inputs.GrauConta;
    AlgumasContas = inputs.AlgumasContas;
    ContasSel = inputs.ContasSel;
}

void RunBalancete(QObject* owner, const TBalanceteInputs& inputs, const TPagesTarget& target) {
    SetBalanceteInputs(inputs);
    RunRemotoLanc(owner, target);
}
