// Whole small reports compared with reviewed listings of their pages
// (golden/*.txt, one line per drawing object). A difference fails the test
// and the new listing is written next to the build for review; run with
// QUORVA_UPDATE_GOLDEN=1 to accept it into the source tree.
#include "ReportTestSupport.h"

#include "../format/FormatTestSupport.h"
#include "RLStorageDump.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

using Kind = TMemTestDataSet::Kind;

QString Golden(const QString& name) {
    return QStringLiteral(QUORVA_GOLDEN_DIR "/") + name + QStringLiteral(".txt");
}

void CompareWithGolden(TRLGraphicStorage& pages, const QString& name) {
    const QByteArray actual = DumpStorage(pages).toUtf8();
    if (qEnvironmentVariableIntValue("QUORVA_UPDATE_GOLDEN") == 1) {
        QFile out(Golden(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual);
        return;
    }
    QFile in(Golden(name));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << Golden(name).toStdString();
    const QByteArray expected = in.readAll();
    if (actual != expected) {
        QFile out(QDir::current().filePath(name + QStringLiteral(".actual.txt")));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(actual);
        }
    }
    EXPECT_EQ(actual.toStdString(), expected.toStdString());
}

TRLFont Font(int size, std::uint8_t style = 0) {
    TRLFont f;
    f.Size = size;
    f.Style = style;
    return f;
}

class GoldenReport : public ::testing::Test {
protected:
    GoldenReport()
        : settings(BrazilianSettings()), clock(DateTime::EncodeDate(2015, 2, 14) + 0.375) {
        report.SetName(QStringLiteral("RLReport1"));
        report.SetShowProgress(false);
        report.BeginLoad();
        // A small custom page keeps the listings short: 120 x 100 mm is
        // 454 x 378 px, 38 px margins.
        report.PageSetup().SetPaperSize(fpCustom);
        report.PageSetup().SetPaperWidth(120);
        report.PageSetup().SetPaperHeight(100);
    }
    ScopedSettings settings;
    ScopedClock clock;
    TRLReport report;
    MessageRecorder messages;
};

// A balance-like report: header with a logo, page number and emission date;
// a column header with a gradient; a framed group per account with totals;
// right-aligned amounts; a report summary and a footer with "page n of N".
TEST_F(GoldenReport, BalanceWithGroupsTotalsAndPageNumbers) {
    TMemTestDataSet data({{QStringLiteral("CONTA"), Kind::Text, {}},
                          {QStringLiteral("HIST"), Kind::Text, {}},
                          {QStringLiteral("VALOR"), Kind::Currency, QStringLiteral("#,##0.00")}});
    const char* accounts[] = {"1.01 Receitas de condom\u00ednio", "2.01 Despesas com pessoal",
                              "2.02 Manuten\u00e7\u00e3o"};
    const int rows[] = {4, 6, 3};
    for (int a = 0; a < 3; ++a) {
        for (int r = 1; r <= rows[a]; ++r) {
            data.AddRow({QString::fromUtf8(accounts[a]),
                         QStringLiteral("Lan\u00e7amento %1 da conta %2").arg(r).arg(a + 1),
                         qint64((a + 1) * 1234500 + r * 10000)});
        }
    }
    report.SetDataSource(&data);
    report.Margins().LeftMargin = 20;

    TRLBand* header = AddBand(&report, btHeader, 40, QStringLiteral("Header"));
    QImage logo(8, 8, QImage::Format_RGB32);
    logo.fill(qRgb(0, 64, 128));
    auto* image = new TRLImage(header);
    image->SetBounds(0, 2, 8, 8);
    image->SetPicture(logo);
    auto* title = AddLabel(header, QStringLiteral("Balancete Detalhado"), 12, 0);
    title->SetFont(Font(11, fsBold));
    auto* page = new TRLSystemInfo(header);
    page->SetInfo(itPageNumber);
    page->SetText(QStringLiteral("P\u00e1g.:"));
    page->SetAlignment(taRightJustify);
    page->SetBounds(270, 0, 70, 17);
    auto* date = new TRLSystemInfo(header);
    date->SetInfo(itFullDate);
    date->SetText(QStringLiteral("Emitido em:"));
    date->SetFont(Font(8));
    date->SetBounds(12, 20, 200, 14);

    TRLBand* columns = AddBand(&report, btColumnHeader, 18, QStringLiteral("Columns"));
    columns->SetColor(clWhite);
    columns->Degrade().Direction = ddVertical;
    columns->Degrade().OppositeColor = clSilver;
    columns->Degrade().Granularity = 6;
    AddLabel(columns, QStringLiteral("Hist\u00f3rico"), 4, 1);
    auto* valueTitle = AddLabel(columns, QStringLiteral("Valor"), 265, 1);
    valueTitle->SetAlignment(taRightJustify);

    TRLGroup* group = AddGroup(&report, QStringLiteral("CONTA"), QStringLiteral("Conta"));
    group->Borders()->SetSides(sdAll);
    TRLBand* groupHeader = AddBand(group, btHeader, 18, QStringLiteral("ContaHeader"));
    auto* account = AddDBText(groupHeader, &data, QStringLiteral("CONTA"), 4, 1, 300);
    account->SetFont(Font(10, fsBold));
    TRLBand* detail = AddBand(group, btDetail, 16, QStringLiteral("Detail"));
    AddDBText(detail, &data, QStringLiteral("HIST"), 4, 0, 240);
    auto* value = AddDBText(detail, &data, QStringLiteral("VALOR"), 230, 0, 100);
    value->SetAlignment(taRightJustify);
    TRLBand* total = AddBand(group, btSummary, 18, QStringLiteral("ContaTotal"));
    total->Borders()->SetDrawTop(true);
    AddLabel(total, QStringLiteral("Total da conta"), 4, 2);
    auto* sum = AddLabel(total, QString(), 230, 2);
    sum->SetAutoSize(false);
    sum->SetBounds(230, 2, 100, 15);
    sum->SetAlignment(taRightJustify);

    TRLBand* summary = AddBand(&report, btSummary, 20, QStringLiteral("Summary"));
    AddLabel(summary, QStringLiteral("Total Geral"), 4, 2)->SetFont(Font(9, fsBold));
    auto* grand = AddLabel(summary, QString(), 231, 2);
    grand->SetAutoSize(false);
    grand->SetBounds(231, 2, 100, 15);
    grand->SetAlignment(taRightJustify);

    TRLBand* footer = AddBand(&report, btFooter, 16, QStringLiteral("Footer"));
    auto* pages = new TRLSystemInfo(footer);
    pages->SetInfo(itPagePreview);
    pages->SetText(QStringLiteral("P\u00e1gina # de #"));
    pages->SetAlignment(taCenter);
    pages->SetFont(Font(8));
    pages->SetBounds(120, 0, 100, 14);

    // Totals kept by the handlers, as the report forms do.
    qint64 accountTotal = 0;
    qint64 grandTotal = 0;
    auto money = [](qint64 v) { return DecimalFieldText(QStringLiteral("#,##0.00"), v); };
    detail->AfterPrint = [&](TRLCustomControl*) {
        const qint64 v = data.FindField(QStringLiteral("VALOR"))->AsCurrency();
        accountTotal += v;
        grandTotal += v;
    };
    total->BeforePrint = [&](TRLCustomControl*, bool&) { sum->SetCaption(money(accountTotal)); };
    total->AfterPrint = [&](TRLCustomControl*) { accountTotal = 0; };
    summary->BeforePrint = [&](TRLCustomControl*, bool&) { grand->SetCaption(money(grandTotal)); };

    report.EndLoad();
    ASSERT_TRUE(report.Prepare());
    EXPECT_TRUE(messages.Texts.isEmpty());
    EXPECT_EQ(report.Pages()->PageCount(), 2);
    CompareWithGolden(*report.Pages(), QStringLiteral("balance"));
}

// Memos that grow their bands, a group that starts a page for each
// instance, a band that is cut between whole lines, and column footers
// closing each page part of the group.
TEST_F(GoldenReport, MemosPageBreakingGroupsAndSplitBands) {
    TMemTestDataSet data(
        {{QStringLiteral("UNIDADE"), Kind::Text, {}}, {QStringLiteral("HIST"), Kind::Text, {}}});
    data.AddRow({QStringLiteral("Apto 101"), QStringLiteral("Taxa de condom\u00ednio de janeiro")});
    data.AddRow({QStringLiteral("Apto 101"),
                 QStringLiteral("Fundo de reserva\r\nParcela 2 de 10\r\nVencida")});
    // Three paragraphs, 18 lines: more than the page has room for.
    const QString rateio = QStringLiteral(
        "Rateio extraordin\u00e1rio para a pintura da fachada do bloco A, aprovado em "
        "assembleia, com vencimentos mensais e corre\u00e7\u00e3o pelo \u00edndice do "
        "contrato, parcelas de mar\u00e7o a dezembro, cobradas junto com a taxa "
        "ordin\u00e1ria de cada m\u00eas do ano corrente\r\n");
    data.AddRow({QStringLiteral("Apto 102"), rateio + rateio + rateio});
    data.AddRow({QStringLiteral("Apto 102"), QStringLiteral("Multa\tpor atraso")});
    report.SetDataSource(&data);

    TRLBand* header = AddBand(&report, btHeader, 20, QStringLiteral("Header"));
    AddLabel(header, QStringLiteral("Rela\u00e7\u00e3o de Inadimplentes"))
        ->SetFont(Font(10, fsBold));
    header->Borders()->SetDrawBottom(true);
    header->Borders()->SetWidth(2);

    TRLGroup* unit = AddGroup(&report, QStringLiteral("UNIDADE"), QStringLiteral("Unidade"));
    unit->SetPageBreaking(pbBeforePrint);
    TRLBand* unitHeader = AddBand(unit, btHeader, 18, QStringLiteral("UnidadeHeader"));
    AddDBText(unitHeader, &data, QStringLiteral("UNIDADE"), 0, 1, 200);
    TRLBand* detail = AddBand(unit, btDetail, 17, QStringLiteral("Detail"));
    detail->SetIntegralHeight(false);
    auto* memo = new TRLDBMemo(detail);
    memo->SetDataSource(&data);
    memo->SetDataField(QStringLiteral("HIST"));
    memo->SetBounds(10, 1, 300, 15);
    TRLBand* unitFooter = AddBand(unit, btColumnFooter, 16, QStringLiteral("UnidadeRodape"));
    auto* mend = new TRLSystemInfo(unitFooter);
    mend->SetInfo(itRecNo);
    mend->SetText(QStringLiteral("at\u00e9 o registro #"));
    mend->SetFont(Font(8, fsItalic));

    report.EndLoad();
    ASSERT_TRUE(report.Prepare());
    EXPECT_TRUE(messages.Texts.isEmpty());
    CompareWithGolden(*report.Pages(), QStringLiteral("memos"));
}

} // namespace
