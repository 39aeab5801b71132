// History texts of the balance report's lances: unit masks, the lists of a
// lance's units and properties, and the filled receipt template.
#include "LancHistory.h"
#include "DateTime.h"
#include "ReportParts.h"

#include <gtest/gtest.h>

namespace {

using namespace LancHistory;
using DateTime::EncodeDate;

// A history's lines as its memo gets them: CR LF, LF and CR are one break
// each, an LF followed by a CR two, and a break at the end opens no line.
TEST(TextLines, EachLineBreakEndsOneLine) {
    struct Case {
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"one\rtwo", {"one", "two"}},
        {"one\r\n\r\ntwo", {"one", "", "two"}},
        {"one\n\rtwo", {"one", "", "two"}},
        {"one\r\n", {"one"}},
        {"one\n\n", {"one", ""}},
        {"\r\n", {""}},
        {"\none", {"", "one"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReportParts::TextLines(QString::fromLatin1(c.text)).join(u'|').toStdString(),
                  c.lines.join(u'|').toStdString())
            << c.text;
        EXPECT_EQ(ReportParts::TextLines(QString::fromLatin1(c.text)).size(), c.lines.size())
            << c.text;
    }
}

TEST(LancHistoryCota, FirstMaskFoundIsFilledLongMonthMaskFirst) {
    const double march = EncodeDate(2014, 3, 1);
    struct Case {
        const char* nomered;
        const char* parcela;
        double mes;
        const char* expected;
    };
    const Case cases[] = {
        {"Apto 101 @@/@@@@", "2/10", march, "Apto 101 03/2014"},
        {"Apto 101 @@/@@", "2/10", march, "Apto 101 03/14"},
        {"Apto 101 ##/##", "2/10", march, "Apto 101 2/10"},
        {"Apto 101 ##/##", "", march, "Apto 101 "},
        // A zero month removes the mask and puts nothing in.
        {"Apto @@/@@@@ 101", "2/10", 0, "Apto  101"},
        {"Apto @@/@@ 101", "2/10", 0, "Apto  101"},
        // Only the first mask found is filled.
        {"@@/@@ ##/##", "2/10", march, "03/14 ##/##"},
        {"@@/@@@@ @@/@@@@", "", march, "03/2014 @@/@@@@"},
        {"Loja 3", "2/10", march, "Loja 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillCotaMask(QString::fromUtf8(c.nomered), QString::fromUtf8(c.parcela), c.mes),
                  QString::fromUtf8(c.expected))
            << c.nomered;
    }
}

TEST(LancHistoryLists, AppendOnlyWhatIsNotAlreadyASubstring) {
    QString list;
    list = AddToList(list, QStringLiteral("Apto 101"));
    list = AddToList(list, QStringLiteral("Apto 102"));
    list = AddToList(list, QStringLiteral("Apto 101"));
    EXPECT_EQ(list, QStringLiteral("Apto 101 Apto 102"));
    // A name inside another is taken as already there.
    EXPECT_EQ(AddToList(QStringLiteral("Apto 1011"), QStringLiteral("Apto 101")),
              QStringLiteral("Apto 1011"));
}

TEST(LancHistoryTemplate, PlaceholdersFilledInOrderOncePerMark) {
    int contaLookups = 0;
    TLanceValues v;
    v.Conta = [&] {
        ++contaLookups;
        return QStringLiteral("Itaú");
    };
    v.Cota = [] { return QStringLiteral("Apto 101 03/2014"); };
    v.Grupo = QStringLiteral("Bloco A");
    v.Imovel = QStringLiteral("101-A");
    v.MesRefRec = EncodeDate(2014, 2, 1);
    v.MesRefCota = EncodeDate(2014, 3, 1);
    const QStringList marcas{QStringLiteral("Cota"), QStringLiteral("MêsCota4"),
                             QStringLiteral("Imóvel")};
    EXPECT_EQ(FillTemplate(QStringLiteral("Rec. {Cota} ref. {MêsCota4} - {Imóvel}"), marcas, v,
                           QString(), QString()),
              QStringLiteral("Rec. Apto 101 03/2014 ref. 03/2014 - 101-A"));
    EXPECT_EQ(contaLookups, 0);

    struct Case {
        const char* text;
        QStringList marcas;
        const char* cotas;
        const char* imoveis;
        const char* expected;
    };
    const Case cases[] = {
        {"{MêsRec2}|{MêsRec4}|{MêsCota2}|{Grupo}|{Conta}",
         {QStringLiteral("MêsRec2"), QStringLiteral("MêsRec4"), QStringLiteral("MêsCota2"),
          QStringLiteral("Grupo"), QStringLiteral("Conta")},
         "",
         "",
         "02/14|02/2014|03/14|Bloco A|Itaú"},
        // Used twice and marked twice: both filled; marked once: one filled.
        {"{Grupo} {Grupo}",
         {QStringLiteral("Grupo"), QStringLiteral("Grupo")},
         "",
         "",
         "Bloco A Bloco A"},
        {"{Grupo} {Grupo}", {QStringLiteral("Grupo")}, "", "", "Bloco A {Grupo}"},
        // Another letter case stays as written.
        {"Rec. {cota}", {QStringLiteral("cota")}, "", "", "Rec. {cota}"},
        {"Recebimento {Cotas}",
         {QStringLiteral("Cotas")},
         "Apto 101 Apto 102",
         "",
         "Recebimento Apto 101 Apto 102 "},
        {"Recebimento {Cotas}.", {QStringLiteral("Cotas")}, "", "", "Recebimento ."},
        {"{Imóveis}{Imóveis}",
         {QStringLiteral("Imóveis"), QStringLiteral("Imóveis")},
         "",
         "101-A 102-A",
         "101-A 102-A {Imóveis}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillTemplate(QString::fromUtf8(c.text), c.marcas, v, QString::fromUtf8(c.cotas),
                               QString::fromUtf8(c.imoveis)),
                  QString::fromUtf8(c.expected))
            << c.text;
    }
    EXPECT_EQ(contaLookups, 1);

    v.MesRefRec = 0;
    EXPECT_EQ(FillTemplate(QStringLiteral("ref. {MêsRec4}."), {QStringLiteral("MêsRec4")}, v,
                           QString(), QString()),
              QStringLiteral("ref. ."));
}

} // namespace
