#include "LancHistory.h"

#include "FormatDate.h"

namespace LancHistory {

namespace {

QString MonthText(const QString& pattern, double mes) {
    return mes > 0 ? FormatDateText(pattern, mes) : QString();
}

void ReplaceFirst(QString& text, const QString& pattern, const QString& value) {
    const qsizetype p = text.indexOf(pattern);
    if (p >= 0) {
        text.replace(p, pattern.size(), value);
    }
}

QString ListValue(const QString& list) {
    return list.isEmpty() ? QString() : list + QLatin1Char(' ');
}

QString ValueOf(const QString& name, const TLanceValues& v) {
    if (name == QStringLiteral("Conta")) {
        return v.Conta ? v.Conta() : QString();
    }
    if (name == QStringLiteral("Cota")) {
        return v.Cota ? v.Cota() : QString();
    }
    if (name == QStringLiteral("Grupo")) {
        return v.Grupo;
    }
    if (name == QStringLiteral("Imóvel")) {
        return v.Imovel;
    }
    if (name == QStringLiteral("MêsRec2")) {
        return MonthText(QStringLiteral("mm/yy"), v.MesRefRec);
    }
    if (name == QStringLiteral("MêsRec4")) {
        return MonthText(QStringLiteral("mm/yyyy"), v.MesRefRec);
    }
    if (name == QStringLiteral("MêsCota2")) {
        return MonthText(QStringLiteral("mm/yy"), v.MesRefCota);
    }
    if (name == QStringLiteral("MêsCota4")) {
        return MonthText(QStringLiteral("mm/yyyy"), v.MesRefCota);
    }
    // A vocabulary name in another letter case is left as written.
    return QLatin1Char('{') + name + QLatin1Char('}');
}

} // namespace

QString FillCotaMask(const QString& nomered, const QString& parcela, double mes) {
    struct Mask {
        const char* pattern;
        const char* month; // null: the instalment goes in
    };
    static const Mask masks[] = {{"@@/@@@@", "mm/yyyy"}, {"@@/@@", "mm/yy"}, {"##/##", nullptr}};
    QString name = nomered;
    for (const Mask& m : masks) {
        const QLatin1StringView pattern(m.pattern);
        const qsizetype p = name.indexOf(pattern);
        if (p < 0) {
            continue;
        }
        name.replace(p, pattern.size(),
                     m.month ? MonthText(QString::fromLatin1(m.month), mes) : parcela);
        break;
    }
    return name;
}

QString AddToList(const QString& list, const QString& t) {
    if (list.contains(t)) {
        return list;
    }
    return list.isEmpty() ? t : list + QLatin1Char(' ') + t;
}

QString FillTemplate(const QString& text, const QStringList& marcas, const TLanceValues& v,
                     const QString& listaCotas, const QString& listaImoveis) {
    QString out = text;
    for (const QString& name : marcas) {
        if (name == QStringLiteral("Cotas") || name == QStringLiteral("Imóveis")) {
            continue;
        }
        const QString pattern = QLatin1Char('{') + name + QLatin1Char('}');
        const qsizetype p = out.indexOf(pattern);
        if (p >= 0) {
            // Only a placeholder that is there is worth its lookup.
            out.replace(p, pattern.size(), ValueOf(name, v));
        }
    }
    ReplaceFirst(out, QStringLiteral("{Cotas}"), ListValue(listaCotas));
    ReplaceFirst(out, QStringLiteral("{Imóveis}"), ListValue(listaImoveis));
    return out;
}

} // namespace LancHistory
