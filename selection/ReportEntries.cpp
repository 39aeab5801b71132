#include "ReportEntries.h"

#include "RemotoCap.h"
#include "RemotoInad.h"

#include <QWidget>

namespace ReportEntries {
namespace {
Balancete balancete;
Listing inadimplencia;
Listing compromissados;
} // namespace

void ImprimeBalancete(QWidget* owner, const TBalanceteInputs& inputs) {
    if (balancete) {
        balancete(owner, inputs);
    } else {
        RunBalancete(owner, inputs);
    }
}

void ImprimeInadimplencia(QWidget* owner) {
    if (inadimplencia) {
        inadimplencia(owner);
    } else {
        RunRemotoInad(owner);
    }
}

void ImprimeCompromissados(QWidget* owner) {
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
