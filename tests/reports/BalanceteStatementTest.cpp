// The balance report's statement, template scanning, flags, dates and day
// marks, checked without a server.
#include "DateTime.h"
#include "RemotoLanc.h"

#include <gtest/gtest.h>

namespace {

using namespace RemotoLanc;

const QString MonthHead = QStringLiteral(
    "SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for 4) as "
    "grau2,  substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as "
    "grau4,  character_length(subconta) as tamanho,  sp_lanc_por_conta_remoto.* FROM  "
    "sp_lanc_por_conta_remoto(:wgrupo,:wimovel,:wmesrec,:wmescota,:wcota,:wmes1,:wmesini,:"
    "wmesfim) ");
const QString PeriodHead = QStringLiteral(
    "SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for 4) as "
    "grau2,  substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as "
    "grau4,  character_length(subconta) as tamanho,  sp_lanc_por_conta_remoto_per.* FROM  "
    "sp_lanc_por_conta_remoto_per(:wgrupo,:wimovel,:wmesrec,:wmescota,:wcota,:wmes1,:wmesini,:"
    "wmesfim) ");
const QString Order = QStringLiteral(" order by  cond,conta,subconta,data,trab,lanc");

TEST(BalanceteStatement, FiltersByTypeAndByCodesAtEachGrade) {
    const QString month = QStringLiteral("mês");
    const QString period = QStringLiteral("período");
    struct Case {
        TStatementInputs in;
        QString expected;
    };
    const Case cases[] = {
        {{month, 2, 0, false, QString()}, MonthHead + Order},
        {{period, 2, 3, false, QStringLiteral("'1'")}, PeriodHead + Order},
        {{month, 0, 1, true, QStringLiteral("'1.01','1.02'")},
         MonthHead +
             QStringLiteral("where (R_D = 'E' or R_D = 'R')  and  substring(subconta from 1 for "
                            "4) in ('1.01','1.02')") +
             Order},
        {{month, 2, 0, true, QStringLiteral("'2'")},
         MonthHead + QStringLiteral(" where  substring(subconta from 1 for 1) in ('2')") + Order},
        {{month, 1, 3, true, QStringLiteral("'2.01.01.01'")},
         MonthHead +
             QStringLiteral(
                 "where (R_D = 'D')  and  substring(subconta from 1 for 10) in ('2.01.01.01')") +
             Order},
        {{period, 1, 2, true, QStringLiteral("'2.01.01'")},
         PeriodHead +
             QStringLiteral(
                 "where (R_D = 'D')  and  substring(subconta from 1 for 7) in ('2.01.01')") +
             Order},
        {{month, 0, 0, false, QStringLiteral("'1'")},
         MonthHead + QStringLiteral("where (R_D = 'E' or R_D = 'R') ") + Order},
        // A grade outside 0..3 gives no code condition but keeps the joiner.
        {{month, 1, 4, true, QStringLiteral("'2'")},
         MonthHead + QStringLiteral("where (R_D = 'D')  and ") + Order},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildStatement(c.in), c.expected)
            << c.in.TipoConta << " " << c.in.GrauConta << " " << c.in.ContasSel.toStdString();
    }
}

TEST(BalanceteTemplate, ScanningKeepsVocabularyNamesInTemplateOrder) {
    const QStringList vocab = Vocabulary();
    ASSERT_EQ(vocab.size(), 10);
    struct Case {
        const char* histor;
        QStringList marcas;
    };
    const Case cases[] = {
        {"Rec. {Cota} ref. {MêsCota4}", {QStringLiteral("Cota"), QStringLiteral("MêsCota4")}},
        {"{cota} pago", {QStringLiteral("cota")}},
        // The stray brace shortens the last name and looks it up again.
        {"{Cotas}}", {QStringLiteral("Cotas"), QStringLiteral("Cota")}},
        {"{Cotas}}}", {QStringLiteral("Cotas"), QStringLiteral("Cota")}},
        {"Valor {Valor}", {}},
        {"{Cota}{Cota} {Imóveis} {Grupo",
         {QStringLiteral("Cota"), QStringLiteral("Cota"), QStringLiteral("Imóveis")}},
        {"{Con{Conta}", {QStringLiteral("Conta")}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScanMarcas(QString::fromUtf8(c.histor), vocab), c.marcas) << c.histor;
    }
}

TEST(BalanceteTemplate, FlagsFollowExactNamesOnly) {
    const TFlags f = FlagsFor({QStringLiteral("Cota"), QStringLiteral("MêsCota4")});
    EXPECT_EQ(f.wcota, QStringLiteral("S"));
    EXPECT_EQ(f.wmescota, QStringLiteral("S"));
    EXPECT_EQ(f.wgrupo, QStringLiteral("N"));
    EXPECT_EQ(f.wimovel, QStringLiteral("N"));
    EXPECT_EQ(f.wmesrec, QStringLiteral("N"));

    const TFlags g = FlagsFor({QStringLiteral("cota"), QStringLiteral("Conta"),
                               QStringLiteral("Cotas"), QStringLiteral("Imóveis")});
    for (const QString& v : {g.wcota, g.wmescota, g.wgrupo, g.wimovel, g.wmesrec}) {
        EXPECT_EQ(v, QStringLiteral("N"));
    }
    const TFlags h = FlagsFor({QStringLiteral("Grupo"), QStringLiteral("Imóvel"),
                               QStringLiteral("MêsRec2"), QStringLiteral("MêsCota2")});
    for (const QString& v : {h.wmescota, h.wgrupo, h.wimovel, h.wmesrec}) {
        EXPECT_EQ(v, QStringLiteral("S"));
    }
    EXPECT_EQ(h.wcota, QStringLiteral("N"));
}

TEST(BalanceteDates, RangeIsOpenOnBothEnds) {
    using DateTime::EncodeDate;
    const TDateParams dec = DateParams(QStringLiteral("mês"), EncodeDate(2014, 12, 1), 0, 0);
    EXPECT_EQ(dec.wmes1, EncodeDate(2014, 12, 1));
    EXPECT_EQ(dec.wmesini, EncodeDate(2014, 11, 30));
    EXPECT_EQ(dec.wmesfim, EncodeDate(2015, 1, 1));

    const TDateParams feb = DateParams(QStringLiteral("mês"), EncodeDate(2016, 2, 1), 0, 0);
    EXPECT_EQ(feb.wmesfim, EncodeDate(2016, 3, 1));

    const TDateParams per = DateParams(QStringLiteral("período"), EncodeDate(2014, 3, 1),
                                       EncodeDate(2014, 3, 10), EncodeDate(2014, 3, 20));
    EXPECT_EQ(per.wmes1, EncodeDate(2014, 3, 1));
    EXPECT_EQ(per.wmesini, EncodeDate(2014, 3, 9));
    EXPECT_EQ(per.wmesfim, EncodeDate(2014, 3, 21));
}

TEST(BalanceteEmission, MarkDayWritesCAndFillsShortTexts) {
    const QString blank(31, QLatin1Char(' '));
    struct Case {
        QString stored;
        int dia;
        QString expected;
    };
    const Case cases[] = {
        {blank, 1, QLatin1Char('C') + QString(30, QLatin1Char(' '))},
        {QLatin1Char('C') + QString(30, QLatin1Char(' ')), 1,
         QLatin1Char('C') + QString(30, QLatin1Char(' '))},
        {QString(), 1, QLatin1Char('C') + QString(30, QLatin1Char(' '))},
        {QStringLiteral("  C"), 5, QStringLiteral("  C C") + QString(26, QLatin1Char(' '))},
        {blank, 31, QString(30, QLatin1Char(' ')) + QLatin1Char('C')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MarkDay(c.stored, c.dia), c.expected) << c.stored.toStdString() << c.dia;
    }
}

} // namespace
