#include "LancHistory.h"

#include "FormatDate.h"

namespace LancHistory {

namespace {

QString MonthText(const QString& pattern, double mes) {
    return mes > 0 ? FormatDateText(pattern, mes) : QString();
}

QString ReplaceFirst(QString text, const QString& pattern, const QString& value) {
    const qsizetype p = text.indexOf(pattern);
    if (p >= 0) {
        text.remove(p, pattern.size());
        text.insert(p, value);
    }
    return text;
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
        const QString pattern = QString::fromLatin1(m.pattern);
        const qsizetype p = name.indexOf(pattern);
        if (p < 0) {
            continue;
        }
        name.remove(p, pattern.size());
        name.insert(p, m.month ? MonthText(QString::fromLatin1(m.month), mes) : parcela);
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
        const QString pattern = QLatin1Char('{') + name + QLatin1Char('}');
        if (!out.contains(pattern) || name == QStringLiteral("Cotas") ||
            name == QStringLiteral("Imóveis")) {
            continue;
        }
        out = ReplaceFirst(out, pattern, ValueOf(name, v));
    }
    out = ReplaceFirst(out, QStringLiteral("{Cotas}"), ListValue(listaCotas));
    return ReplaceFirst(out, QStringLiteral("{Imóveis}"), ListValue(listaImoveis));
}

} // namespace LancHistory
