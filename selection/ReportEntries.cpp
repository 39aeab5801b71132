#include "ReportEntries.h"

namespace ReportEntries {
namespace {
Balancete balancete;
Listing inadimplencia;
Listing compromissados;
} // namespace

void SetImprimeBalancete(Balancete entry) {
    balancete = std::move(entry);
}
void SetImprimeInadimplencia(Listing entry) {
    inadimplencia = std::move(entry);
}
void SetImprimeCompromissados(Listing entry) {
    compromissados = std::move(entry);
}

void ImprimeBalancete(QWidget* owner, const TBalanceteInputs& inputs) {
    if (balancete) {
        balancete(owner, inputs);
    }
}

void ImprimeInadimplencia(QWidget* owner) {
    if (inadimplencia) {
        inadimplencia(owner);
    }
}

void ImprimeCompromissados(QWidget* owner) {
    if (compromissados) {
        compromissados(owner);
    }
}

} // namespace ReportEntries
