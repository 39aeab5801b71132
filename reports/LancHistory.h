#pragma once
// The history text of a lance of the balance report: unit names with their
// masks filled, the lists of a lance's units and properties, and the
// receipt template with its placeholders filled.
#include <QString>
#include <QStringList>
#include <functional>

namespace LancHistory {

// The unit's short name with its first mask filled: "@@/@@@@" takes the
// month as mm/yyyy, else "@@/@@" as mm/yy, else "##/##" the instalment.
// The longer month mask is tested first, as it holds the shorter one.
QString FillCotaMask(const QString& nomered, const QString& parcela, double mes);

// Appends t to a blank-separated list unless the list already holds it as
// a substring.
QString AddToList(const QString& list, const QString& t);

// What a receipt's placeholders are filled with. The two names that need a
// lookup are asked for only when their placeholder is present.
struct TLanceValues {
    std::function<QString()> Conta;
    std::function<QString()> Cota;
    QString Grupo;
    QString Imovel;
    double MesRefRec = 0;
    double MesRefCota = 0;
};

// Fills each placeholder of marcas once, in order, at its first remaining
// occurrence; names in another letter case stay as written. Then {Cotas}
// and {Imóveis} once each, removed when their list is empty.
QString FillTemplate(const QString& text, const QStringList& marcas, const TLanceValues& v,
                     const QString& listaCotas, const QString& listaImoveis);

} // namespace LancHistory
