// The balance report's layout and band handlers: eight nested groups from
// the condominium down to the lance, the grade headers and totals that the
// chosen grade prints or silences, and the month's balance boxes.
#include "DMod.h"
#include "FormatDate.h"
#include "FormatNumber.h"
#include "RemotoLanc.h"
#include "RemotoLancRun.h"
#include "ReportParts.h"

using namespace ReportParts;

namespace {

// Lance amounts and grade totals.
QString Amount(long double value) {
    return FormatNumberText(QString::fromLatin1(RemotoLanc::AmountPattern), value);
}

QString Balance(long double value) {
    return FormatNumberText(QString::fromLatin1(RemotoLanc::BalancePattern), value);
}

// The column titles over the amounts, as the account header and the grade
// headers show them.
void NewAmountTitles(TRLBand* band, const char* realizado, const char* compromissado,
                     TRLLabel** realizadoOut = nullptr, TRLLabel** compromissadoOut = nullptr) {
    TRLLabel* r =
        NewLabel(band, QString::fromLatin1(realizado), QStringLiteral("Realizado"), 573, 2, 50);
    r->SetAlignment(taRightJustify);
    TRLLabel* c = NewLabel(band, QString::fromLatin1(compromissado),
                           QStringLiteral("Compromissado"), 631, 2, 80);
    c->SetAlignment(taRightJustify);
    if (realizadoOut != nullptr) {
        *realizadoOut = r;
    }
    if (compromissadoOut != nullptr) {
        *compromissadoOut = c;
    }
}

TRLLabel* NewAmount(TRLBand* band, const char* name, int left, int top) {
    TRLLabel* label = NewLabel(band, QString::fromLatin1(name), QString(), left, top, 54);
    label->SetAlignment(taRightJustify);
    return label;
}

TRLLabel* NewCodeCaption(TRLBand* band, const char* name, int left, int top, int style) {
    TRLLabel* label = NewLabel(band, QString::fromLatin1(name), QString(), left, top);
    TRLFont font = ArialFont(12, true);
    font.Style = style;
    label->SetFont(font);
    return label;
}

TRLGroup* NewGroup(TRLCustomControl* parent, const char* name, const char* fields, int top) {
    auto* group = new TRLGroup(parent);
    group->SetName(QString::fromLatin1(name));
    group->SetDataFields(QString::fromLatin1(fields));
    group->SetBounds(0, top, group->Width(), 40);
    return group;
}

void Gradient(TRLBand* band) {
    band->Degrade().Direction = ddVertical;
    band->Degrade().OppositeColor = clSilver;
}

void Frame(TRLCustomControl* site, int width) {
    site->Borders()->SetSides(sdAll);
    site->Borders()->SetWidth(width);
}

// One line of a rule along one side.
void Rule(TRLBand* band, bool top) {
    band->Borders()->SetSides(sdCustom);
    if (top) {
        band->Borders()->SetDrawTop(true);
    } else {
        band->Borders()->SetDrawBottom(true);
    }
}

// Inside margins of three pixels, given in millimetres.
constexpr double kThreePixels = 0.8;

} // namespace

QString RemotoLanc::BalanceMark(long double value) {
    if (value < 0) {
        return QStringLiteral("(Devedor)");
    }
    if (value > 0) {
        return QStringLiteral("(Credor)");
    }
    return QString();
}

void TFRemotoLanc::CreateReport() {
    RL1.SetName(QStringLiteral("RL1"));
    RL1.BeginLoad();
    RL1.SetFont(ArialFont(11));
    RL1.SetDataSource(DSLanc);
    CreatePageHeader();
    CreateGroups();
    CreateGradeBands();
    CreateLanceBands();
    RLBand5 = static_cast<TRLBand*>(
        NewCreditFooter(&RL1, QStringLiteral("RLBand5"), 2000)->FindParentBand());
    BindHandlers();
    RL1.EndLoad();
}

void TFRemotoLanc::CreatePageHeader() {
    RLBand1 = NewBand(&RL1, QStringLiteral("RLBand1"), btHeader, 0, 124);
    Frame(RLBand1, 1);
    RLBand1->InsideMargins().SetAll(kThreePixels);
    NewLogo(RLBand1, 6, 5);
    NewFirmName(RLBand1, 89, 20);
    TRLFont underlined = ArialFont(12);
    underlined.Style = fsUnderline;
    NewLabel(RLBand1, QStringLiteral("RLLabel4"), QStringLiteral("Balancete Detalhado por Conta"),
             240, 54)
        ->SetFont(underlined);
    underlined = ArialFont(13);
    underlined.Style = fsUnderline;
    RLLabel5 = NewLabel(RLBand1, QStringLiteral("RLLabel5"), QString(), 418, 54);
    RLLabel5->SetFont(underlined);
    RLLabel2 = NewLabel(RLBand1, QStringLiteral("RLLabel2"), QStringLiteral("Condomínio:"), 32, 76);
    RLLabel2->SetFont(ArialFont(13, true));
    RLLabel3 = NewLabel(RLBand1, QStringLiteral("RLLabel3"), QStringLiteral("Conta: "), 32, 97);
    RLLabel3->SetFont(ArialFont(12, true));
    NewPageNumber(RLBand1, 597, 6);
    NewIssueDate(RLBand1, 606, 96);
}

// The groups, each inside the one before; every group's header band comes
// first, its inner group next and its closing bands last.
void TFRemotoLanc::CreateGroups() {
    GruCond = NewGroup(&RL1, "GruCond", "COND", 124);
    GruCond->SetPageBreaking(pbBeforePrint);
    HeadCond = NewBand(GruCond, QStringLiteral("HeadCond"), btHeader, 0, 12);
    GruConta = NewGroup(GruCond, "GruConta", "COND;CONTA", 12);
    GruConta->SetPageBreaking(pbBeforePrint);
    HeadConta = NewBand(GruConta, QStringLiteral("HeadConta"), btHeader, 0, 19);
    NewAmountTitles(HeadConta, "RLLabel48", "RLLabel49");
    GruGrau1 = NewGroup(GruConta, "GruGrau1", "COND;CONTA;GRAU1", 19);
    GruGrau2 = NewGroup(GruGrau1, "GruGrau2", "COND;CONTA;GRAU1;GRAU2", 22);
    GruGrau3 = NewGroup(GruGrau2, "GruGrau3", "COND;CONTA;GRAU1;GRAU2;GRAU3", 21);
    Frame(GruGrau3, 1);
    GruGrau4 = NewGroup(GruGrau3, "GruGrau4", "COND;CONTA;GRAU1;GRAU2;GRAU3;GRAU4", 20);
    GruData = NewGroup(GruGrau4, "GruData", "COND;CONTA;GRAU1;GRAU2;GRAU3;GRAU4;DATA", 19);
    GruLanc = NewGroup(GruData, "GruLanc", "COND;CONTA;GRAU1;GRAU2;GRAU3;GRAU4;DATA;TRAB", 22);

    RLBand8 = NewBand(GruConta, QStringLiteral("RLBand8"), btSummary, 1000, 83);
    Frame(RLBand8, 1);
    RLMemo2 = new TRLMemo(RLBand8);
    RLMemo2->SetName(QStringLiteral("RLMemo2"));
    RLMemo2->SetBounds(22, 13, 312, 14);
    RLMemo2->SetFont(ArialFont(12));
    Box8 = CreateBalanceBox(RLBand8, 576);

    RLBand9 = NewBand(GruCond, QStringLiteral("RLBand9"), btSummary, 1000, 85);
    Frame(RLBand9, 1);
    RLBand9->InsideMargins().SetAll(kThreePixels);
    TRLLabel* title = NewLabel(RLBand9, QStringLiteral("RLLabel13"),
                               QStringLiteral("Resumo Geral do Condomínio"), 76, 6, 172);
    title->SetFont(ArialFont(12));
    title->SetAlignment(taCenter);
    Box9 = CreateBalanceBox(RLBand9, 577);
}

// Four rows: opening balance, receipts, expenses, closing balance; the two
// balances with their debtor or creditor mark.
TFRemotoLanc::TBalanceBox TFRemotoLanc::CreateBalanceBox(TRLBand* band, int amountRight) {
    const bool account = band == RLBand8;
    const char* captions[] = {"Saldo do início do mês:", "Receitas (Créditos):",
                              "Despesas (Débitos):", "Saldo do final do mês:"};
    const char* amounts8[] = {"RLLabel21", "RLLabel22", "RLLabel23", "RLLabel24"};
    const char* amounts9[] = {"RLLabel31", "RLLabel32", "RLLabel33", "RLLabel34"};
    const int tops[] = {5, 24, 43, 62};
    constexpr int amountWidth = 110;
    constexpr int markWidth = 70;
    TRLLabel* values[4] = {};
    for (int row = 0; row < 4; ++row) {
        const QString captionName = QStringLiteral("RLLabel%1").arg((account ? 17 : 27) + row);
        NewLabel(band, captionName, QString::fromUtf8(captions[row]), 351, tops[row])
            ->SetFont(ArialFont(12));
        values[row] = NewLabel(band, QString::fromLatin1(account ? amounts8[row] : amounts9[row]),
                               QString(), amountRight - amountWidth, tops[row], amountWidth);
        values[row]->SetAlignment(taRightJustify);
        values[row]->SetFont(ArialFont(12));
    }
    const auto mark = [&](const char* name, int top) {
        TRLLabel* label =
            NewLabel(band, QString::fromLatin1(name), QString(), 650 - markWidth, top, markWidth);
        label->SetAlignment(taRightJustify);
        label->SetFont(ArialFont(12));
        return label;
    };
    TBalanceBox box;
    box.Ini = values[0];
    box.Receitas = values[1];
    box.Despesas = values[2];
    box.Fim = values[3];
    box.MarkIni = mark(account ? "RLLabel25" : "RLLabel35", tops[0]);
    box.MarkFim = mark(account ? "RLLabel26" : "RLLabel36", tops[3]);
    return box;
}

// Headers and totals of the four grades of the chart of accounts; the
// indentation of the code captions shows the grade.
void TFRemotoLanc::CreateGradeBands() {
    RLBand2 = NewBand(GruGrau1, QStringLiteral("RLBand2"), btHeader, 0, 22);
    Frame(RLBand2, 2);
    RLGrau1 = NewCodeCaption(RLBand2, "RLGrau1", 5, 3, fsBold);
    NewAmountTitles(RLBand2, "RLLabel42", "RLLabel44", &RLLabel42, &RLLabel44);
    RLBand7 = NewBand(GruGrau1, QStringLiteral("RLBand7"), btSummary, 1000, 24);
    Frame(RLBand7, 2);
    RLLabel11 = NewLabel(RLBand7, QStringLiteral("RLLabel11"), QString(), 5, 4);
    RLLabel16 = NewAmount(RLBand7, "RLLabel16", 572, 4);
    RLLabel43 = NewAmount(RLBand7, "RLLabel43", 656, 4);

    RLBand3 = NewBand(GruGrau2, QStringLiteral("RLBand3"), btHeader, 0, 21);
    Gradient(RLBand3);
    RLLabel7 = NewCodeCaption(RLBand3, "RLLabel7", 28, 3, fsBold);
    RLBand6 = NewBand(GruGrau2, QStringLiteral("RLBand6"), btSummary, 1000, 21);
    Gradient(RLBand6);
    TotGru2 = NewLabel(RLBand6, QStringLiteral("TotGru2"), QString(), 28, 2);
    RLLabel15 = NewAmount(RLBand6, "RLLabel15", 572, 3);
    RLLabel41 = NewAmount(RLBand6, "RLLabel41", 656, 3);

    RLBand4 = NewBand(GruGrau3, QStringLiteral("RLBand4"), btHeader, 0, 20);
    Rule(RLBand4, false);
    RLLabel8 = NewCodeCaption(RLBand4, "RLLabel8", 53, 1, fsBold);
    NewAmountTitles(RLBand4, "RLLabel12", "RLLabel47");
    RLTotGru3 = NewBand(GruGrau3, QStringLiteral("RLTotGru3"), btSummary, 1000, 21);
    Rule(RLTotGru3, true);
    TotGru3 = NewLabel(RLTotGru3, QStringLiteral("TotGru3"), QString(), 53, 2);
    RLLabel14 = NewAmount(RLTotGru3, "RLLabel14", 572, 3);
    RLLabel39 = NewAmount(RLTotGru3, "RLLabel39", 656, 3);

    RLBand10 = NewBand(GruGrau4, QStringLiteral("RLBand10"), btHeader, 0, 19);
    RLLabel50 = NewCodeCaption(RLBand10, "RLLabel50", 80, 1, fsBold | fsUnderline);
    RLBand11 = NewBand(GruGrau4, QStringLiteral("RLBand11"), btSummary, 1000, 21);
    TotGru4 = NewLabel(RLBand11, QStringLiteral("TotGru4"), QString(), 80, 2);
    RLLabel54 = NewAmount(RLBand11, "RLLabel54", 572, 3);
    RLLabel55 = NewAmount(RLBand11, "RLLabel55", 656, 3);
}

// The date and lance groups draw nothing of their own: the lance line is
// the lance group's column footer, printed once its rows have been read.
void TFRemotoLanc::CreateLanceBands() {
    HeadData = NewBand(GruData, QStringLiteral("HeadData"), btHeader, 0, 22);
    RLTotData = NewBand(GruData, QStringLiteral("RLTotData"), btColumnFooter, 1000, 24);
    HeadLanc = NewBand(GruLanc, QStringLiteral("HeadLanc"), btHeader, 0, 33);
    RLDetalhe = NewBand(GruLanc, QStringLiteral("RLDetalhe"), btDetail, 33, 24);
    RLTotLanc = NewBand(GruLanc, QStringLiteral("RLTotLanc"), btColumnFooter, 57, 21);
    RLLabel9 = NewLabel(RLTotLanc, QStringLiteral("RLLabel9"), QString(), 3, 4);
    RLMemo1 = new TRLMemo(RLTotLanc);
    RLMemo1->SetName(QStringLiteral("RLMemo1"));
    RLMemo1->SetBounds(69, 4, 464, 14);
    RLMemo1->SetAutoSize(true);
    RLLabel10 = NewAmount(RLTotLanc, "RLLabel10", 572, 4);
    RLLabel46 = NewAmount(RLTotLanc, "RLLabel46", 656, 4);
}

void TFRemotoLanc::BindHandlers() {
    const auto refuse = [](TRLCustomControl*, bool& printIt) { printIt = false; };
    const auto bind = [this](TRLCustomSite* site,
                             void (TFRemotoLanc::*handler)(TRLCustomControl*, bool&)) {
        site->BeforePrint = [this, handler](TRLCustomControl* s, bool& p) {
            (this->*handler)(s, p);
        };
    };
    bind(GruCond, &TFRemotoLanc::GruCondBeforePrint);
    HeadCond->BeforePrint = refuse;
    bind(GruConta, &TFRemotoLanc::GruContaBeforePrint);
    HeadConta->BeforePrint = [](TRLCustomControl*, bool& p) { p = GrauConta == 0; };
    TRLGroup* const grades[] = {GruGrau1, GruGrau2, GruGrau3, GruGrau4};
    for (int g = 0; g < 4; ++g) {
        grades[g]->BeforePrint = [this, g](TRLCustomControl*, bool& p) { GradeStart(g + 1, p); };
    }
    bind(RLBand2, &TFRemotoLanc::RLBand2BeforePrint);
    bind(RLBand3, &TFRemotoLanc::RLBand3BeforePrint);
    bind(RLBand4, &TFRemotoLanc::RLBand4BeforePrint);
    bind(RLBand10, &TFRemotoLanc::RLBand10BeforePrint);
    bind(GruData, &TFRemotoLanc::GruDataBeforePrint);
    HeadData->BeforePrint = refuse;
    bind(HeadLanc, &TFRemotoLanc::HeadLancBeforePrint);
    bind(RLDetalhe, &TFRemotoLanc::RLDetalheBeforePrint);
    bind(RLTotLanc, &TFRemotoLanc::RLTotLancBeforePrint);
    RLTotLanc->AfterPrint = [this](TRLCustomControl* s) { RLTotLancAfterPrint(s); };
    RLTotData->BeforePrint = refuse;
    bind(RLTotGru3, &TFRemotoLanc::RLTotGru3BeforePrint);
    bind(RLBand11, &TFRemotoLanc::RLBand11BeforePrint);
    bind(RLBand6, &TFRemotoLanc::RLBand6BeforePrint);
    bind(RLBand7, &TFRemotoLanc::RLBand7BeforePrint);
    bind(RLBand1, &TFRemotoLanc::RLBand1BeforePrint);
    bind(RLBand8, &TFRemotoLanc::RLBand8BeforePrint);
    bind(RLBand9, &TFRemotoLanc::RLBand9BeforePrint);
}

void TFRemotoLanc::GruCondBeforePrint(TRLCustomControl*, bool&) {
    run_->CondAtual = F.COND->AsInteger();
}

void TFRemotoLanc::GruContaBeforePrint(TRLCustomControl*, bool&) {
    run_->ContaAtual = F.CONTA->AsInteger();
}

// A grade group starts: its totals are zeroed, its code and the captions of
// its header and total are set from the first row.
void TFRemotoLanc::GradeStart(int grade, bool& printIt) {
    TRemotoLancRun& run = *run_;
    long double* const totReal[] = {&run.TotRealGrau1, &run.TotRealGrau2, &run.TotRealGrau3,
                                    &run.TotRealGrau4};
    long double* const totComp[] = {&run.TotCompGrau1, &run.TotCompGrau2, &run.TotCompGrau3,
                                    &run.TotCompGrau4};
    QString* const atual[] = {&run.Grau1Atual, &run.Grau2Atual, &run.Grau3Atual, &run.Grau4Atual};
    TIBField* const column[] = {F.GRAU1, F.GRAU2, F.GRAU3, F.GRAU4};
    TRLLabel* const header[] = {RLGrau1, RLLabel7, RLLabel8, RLLabel50};
    TRLLabel* const total[] = {RLLabel11, TotGru2, TotGru3, TotGru4};
    const int i = grade - 1;

    *totReal[i] = 0;
    *totComp[i] = 0;
    total[i]->SetCaption(QString());
    const QString code = column[i]->AsString();
    *atual[i] = code;
    const QString rd = F.R_D->AsString();
    const QString kind = rd == QStringLiteral("E") ? QStringLiteral("R") : rd;
    const QString name = Lookups.NomeSubconta(F.ESTRUTU->AsString(), kind, code);
    const QString caption = code + QStringLiteral(" - ") + name;
    header[i]->SetCaption(caption);
    if (caption != QStringLiteral(" - ")) {
        const bool prefixed = grade >= 3 || GrauConta >= grade;
        total[i]->SetCaption(prefixed ? QStringLiteral("Total de ") + caption : caption);
    }
    if (grade == 1 && total[i]->Caption().isEmpty()) {
        printIt = false;
    }
}

void TFRemotoLanc::RLBand2BeforePrint(TRLCustomControl*, bool& printIt) {
    RLLabel42->SetVisible(GrauConta == 1);
    RLLabel44->SetVisible(GrauConta == 1);
    printIt = !run_->Grau1Atual.isEmpty() && GrauConta >= 1;
}

// The grade headers test the code of the row the dataset stands on; a code
// of the wrong length empties the grade's current code, which silences the
// grade's total and, for grade 3, its further lance lines.
void TFRemotoLanc::RLBand3BeforePrint(TRLCustomControl*, bool& printIt) {
    const bool full = F.GRAU2->AsString().size() == 4;
    if (!full) {
        run_->Grau2Atual.clear();
    }
    printIt = !run_->Grau2Atual.isEmpty() && GrauConta >= 2 && full;
}

void TFRemotoLanc::RLBand4BeforePrint(TRLCustomControl*, bool& printIt) {
    const bool full = F.GRAU3->AsString().size() == 7;
    if (!full) {
        run_->Grau3Atual.clear();
    }
    printIt = !run_->Grau3Atual.isEmpty() && GrauConta >= 2 && full;
}

void TFRemotoLanc::RLBand10BeforePrint(TRLCustomControl*, bool& printIt) {
    if (run_->Grau4Atual.size() != 10) {
        run_->Grau4Atual.clear();
    }
    printIt = !run_->Grau4Atual.isEmpty() && GrauConta >= 3;
}

void TFRemotoLanc::GruDataBeforePrint(TRLCustomControl*, bool&) {
    const double data = F.DATA->AsDateTime();
    run_->LancData = data;
    run_->LancLanc = F.LANC->AsInteger();
    RLLabel9->SetCaption(FormatDateText(QStringLiteral("dd/mm/yyyy"), data));
}

void TFRemotoLanc::HeadLancBeforePrint(TRLCustomControl*, bool& printIt) {
    HeadLancText();
    run_->ValRealizado = 0;
    run_->ValCompromissado = 0;
    printIt = false;
}

void TFRemotoLanc::RLDetalheBeforePrint(TRLCustomControl*, bool& printIt) {
    if (F.TIPREG->AsString() == QStringLiteral("Y")) {
        run_->ValCompromissado += F.VAL_REC->AsFloat();
    } else if (F.R_D->AsString() == QStringLiteral("R")) {
        run_->ValRealizado += F.VAL_COTA->AsFloat();
    } else {
        run_->ValRealizado += F.VAL_LANC->AsFloat();
    }
    DetalheText();
    printIt = false;
}

// One line per lance, with one amount: realized when there is any, else
// committed. The totals take the lance whether or not its line prints.
void TFRemotoLanc::RLTotLancBeforePrint(TRLCustomControl*, bool& printIt) {
    TRemotoLancRun& run = *run_;
    RLMemo1->Lines() = TextLines(TotLancText());
    RLLabel10->SetCaption(QString());
    RLLabel46->SetCaption(QString());
    if (run.ValRealizado != 0) {
        RLLabel10->SetCaption(Amount(run.ValRealizado));
    } else {
        RLLabel46->SetCaption(Amount(run.ValCompromissado));
    }
    if ((run.ValRealizado == 0 && run.ValCompromissado == 0) || run.Grau3Atual.isEmpty() ||
        GrauConta < 2) {
        printIt = false;
    }
    for (long double* t :
         {&run.TotCompGrau1, &run.TotCompGrau2, &run.TotCompGrau3, &run.TotCompGrau4}) {
        *t += run.ValCompromissado;
    }
    for (long double* t :
         {&run.TotRealGrau1, &run.TotRealGrau2, &run.TotRealGrau3, &run.TotRealGrau4}) {
        *t += run.ValRealizado;
    }
    run.ValRealizado = 0;
    run.ValCompromissado = 0;
}

// The date shows only on the first printed lance of its date.
void TFRemotoLanc::RLTotLancAfterPrint(TRLCustomControl*) {
    RLLabel9->SetCaption(QString());
}

void TFRemotoLanc::RLBand11BeforePrint(TRLCustomControl*, bool& printIt) {
    RLLabel54->SetCaption(Amount(run_->TotRealGrau4));
    RLLabel55->SetCaption(Amount(run_->TotCompGrau4));
    printIt = !run_->Grau4Atual.isEmpty() && GrauConta >= 3;
}

void TFRemotoLanc::RLTotGru3BeforePrint(TRLCustomControl*, bool& printIt) {
    RLLabel14->SetCaption(Amount(run_->TotRealGrau3));
    RLLabel39->SetCaption(Amount(run_->TotCompGrau3));
    printIt = !run_->Grau3Atual.isEmpty() && GrauConta >= 2;
}

void TFRemotoLanc::RLBand6BeforePrint(TRLCustomControl*, bool& printIt) {
    RLLabel15->SetCaption(Amount(run_->TotRealGrau2));
    RLLabel41->SetCaption(Amount(run_->TotCompGrau2));
    printIt = !run_->Grau2Atual.isEmpty() && GrauConta >= 1;
}

void TFRemotoLanc::RLBand7BeforePrint(TRLCustomControl*, bool& printIt) {
    RLLabel16->SetCaption(Amount(run_->TotRealGrau1));
    RLLabel43->SetCaption(Amount(run_->TotCompGrau1));
    printIt = !run_->Grau1Atual.isEmpty();
}

// Every page names the condominium, the account and the month or period.
void TFRemotoLanc::RLBand1BeforePrint(TRLCustomControl*, bool&) {
    RLLabel2->SetCaption(Lookups.NomeCond(F.COND->AsInteger()));
    RLLabel3->SetCaption(QStringLiteral("Conta: ") + Lookups.NomeConta(run_->ContaAtual));
    if (TipoPeriodo == QStringLiteral("mês")) {
        RLLabel5->SetCaption(QStringLiteral("Mês: ") +
                             FormatDateText(QStringLiteral("mm/yyyy"), DM->MesAtual));
    } else {
        RLLabel5->SetCaption(
            QStringLiteral("Período: ") + FormatDateText(QStringLiteral("dd/mm/yyyy"), DataIni) +
            QStringLiteral(" até ") + FormatDateText(QStringLiteral("dd/mm/yyyy"), DataFim));
    }
}

void TFRemotoLanc::FillBalances(int conta, const TBalanceBox& box) {
    QSaldo.Close();
    QSaldo.Params(0).SetAsInteger(run_->CondAtual);
    QSaldo.Params(1).SetAsInteger(conta);
    QSaldo.Params(2).SetAsDateTime(run_->MesRel);
    QSaldo.Open();
    const long double saldoReceitas = QSaldo.FieldByName(QStringLiteral("RECEITAS")).AsFloat();
    const long double saldoDespesas = QSaldo.FieldByName(QStringLiteral("DESPESAS")).AsFloat();
    const long double saldoFim = QSaldo.FieldByName(QStringLiteral("SALDOFIM")).AsFloat();
    const long double saldoIni = saldoFim - saldoReceitas + saldoDespesas;
    box.Ini->SetCaption(Balance(saldoIni));
    box.Receitas->SetCaption(Balance(saldoReceitas));
    box.Despesas->SetCaption(Balance(saldoDespesas));
    box.Fim->SetCaption(Balance(saldoFim));
    box.MarkIni->SetCaption(RemotoLanc::BalanceMark(saldoIni));
    box.MarkFim->SetCaption(RemotoLanc::BalanceMark(saldoFim));
}

// A period's report has no month to sum up: its summaries are not printed,
// and their balances are not asked for.
void TFRemotoLanc::RLBand8BeforePrint(TRLCustomControl*, bool& printIt) {
    if (TipoPeriodo == QStringLiteral("período")) {
        printIt = false;
        return;
    }
    FillBalances(run_->ContaAtual, Box8);
    RLMemo2->Lines() = QStringList{QStringLiteral(" Resumo ") + RLLabel3->Caption()};
    if (RLLabel3->Caption().isEmpty()) {
        printIt = false;
    }
}

void TFRemotoLanc::RLBand9BeforePrint(TRLCustomControl*, bool& printIt) {
    if (TipoPeriodo == QStringLiteral("período")) {
        printIt = false;
        return;
    }
    FillBalances(-1, Box9);
}
