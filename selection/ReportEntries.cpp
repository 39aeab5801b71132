#include "ReportEntries.h"

#include "RemotoCap.h"
#include "RemotoInad.h"

namespace ReportEntries {
namespace {
Balancete balancete;
Listing inadimplencia;
Listing compromissados;
} // namespace

void ImprimeBalancete(QObject* owner, const TBalanceteInputs& inputs) {
    if (balancete) {
        balancete(owner, inputs);
    } else {
        RunBalancete(owner, inputs);
    }
}

void ImprimeInadimplencia(QObject* owner) {
    if (inadimplencia) {
        inadimplencia(owner);
    } else {
        RunRemotoInad(owner);
    }
}

void ImprimeCompromissados(QObject* owner) {
    if (compromissados) {
        compromissados(owner);
    } else {
        RunRemotoCap(owner);
    }
}

void OverrideBalancete(Balancete entry) {
    balancete = std::move(entry);
}
void OverrideInadimplencia(Listing entry) {
    inadimplencia = std::move(entry);
}
void OverrideCompromissados(Listing entry) {
    compromissados = std::move(entry);
}

} // namespace ReportEntries
