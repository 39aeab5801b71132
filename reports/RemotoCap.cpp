#include "RemotoCap.h"

#include "DMod.h"
#include "FormatDate.h"
#include "FormatNumber.h"
#include "ListingParts.h"
#include "ReportParts.h"
#include "TextMetrics.h"

#include <memory>

using namespace ReportParts;
using namespace ListingParts;

std::int64_t TotDia = 0;
std::int64_t TotGeralCap = 0;

namespace RemotoCap {
const char* const SelectText = "select venc,hist,valor, conta, subconta  from CPAGAR  where "
                               "tipodev = 'C' and coddev = :wcond and datapag is null  order "
                               "by venc ";
} // namespace RemotoCap

TFRemotoCap::TFRemotoCap(QObject* owner)
    : QObject(owner), totals_(TotDia, TotGeralCap),
      QueryVENC(Query.AddField<TDateField>(QStringLiteral("VENC"))),
      QueryHIST(Query.AddField<TMemoField>(QStringLiteral("HIST"))),
      QueryVALOR(Query.AddField<TIBBCDField>(QStringLiteral("VALOR"))),
      QueryCONTA(Query.AddField<TIntegerField>(QStringLiteral("CONTA"))),
      QuerySUBCONTA(Query.AddField<TIBStringField>(QStringLiteral("SUBCONTA"))),
      DataSource1(&Query) {
    setObjectName(QStringLiteral("FRemotoCap"));
    ListingParts::Connect(Transa, Query, SQL);
    QueryVENC.SetDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    QueryVALOR.SetDisplayFormat(QString::fromLatin1(TotalPattern));
    CreateReport();
}

TFRemotoCap::~TFRemotoCap() = default;

void TFRemotoCap::CreateReport() {
    RL1.SetName(QStringLiteral("RL1"));
    RL1.BeginLoad();
    RL1.SetFont(ArialFont(13));
    RL1.SetDataSource(DataSource1);

    const THeaderParts h =
        NewPageHeader(&RL1, QStringLiteral("Compromissados"), TPoint{307, 47}, 604, 613);
    RLBand1 = h.Band;
    RLImage1 = h.Logo;
    RLLabel1 = h.Firm;
    RLLabel4 = h.Title;
    RLLabel2 = h.Cond;
    RLSystemInfo1 = h.PageNumber;
    RLSystemInfo2 = h.Date;

    RLBand3 = NewBand(&RL1, QStringLiteral("RLBand3"), btColumnHeader, 86, 23);
    RLBand3->Borders()->SetSides(sdAll);
    RLBand3->SetFont(ArialFont(12));
    NewLabel(RLBand3, QStringLiteral("RLLabel3"), QStringLiteral("Vencimento"), 4, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel7"), QStringLiteral("Histórico"), 76, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel8"), QStringLiteral("Conta"), 447, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel9"), QStringLiteral("Subconta"), 563, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel10"), QStringLiteral("Valor"), 673, 4);

    RLGroup1 = new TRLGroup(&RL1);
    RLGroup1->SetName(QStringLiteral("RLGroup1"));
    RLGroup1->SetDataFields(QStringLiteral("VENC"));
    RLGroup1->SetBounds(0, 109, RLGroup1->Width(), 43);
    CreateDetail();

    const TTotalBand day = NewTotalBand(
        RLGroup1, QStringLiteral("RLBand5"),
        {QStringLiteral("RLLabel5"), QStringLiteral("RLLabel12"), QStringLiteral("RLLabel6")},
        {.Top = 20,
         .Height = 23,
         .FontPixels = 11,
         .Caption = QStringLiteral("Total do dia:"),
         .CaptionLeft = 380,
         .TextTop = 4,
         .KeyLeft = 444,
         .KeyWidth = 54,
         .AmountLeft = 666,
         .AmountWidth = 48});
    RLBand5 = day.Band;
    RLLabel5 = day.Caption;
    RLLabel12 = day.Key;
    RLLabel6 = day.Amount;

    const TTotalBand grand =
        NewTotalBand(&RL1, QStringLiteral("RLBand4"),
                     {QStringLiteral("RLLabel13"), QString(), QStringLiteral("RLLabel14")},
                     {.Top = 152,
                      .Height = 20,
                      .FontPixels = 11,
                      .Caption = QStringLiteral("Total Geral"),
                      .CaptionLeft = 445,
                      .TextTop = 3,
                      .AmountLeft = 662,
                      .AmountWidth = 54});
    RLBand4 = grand.Band;
    RLLabel13 = grand.Caption;
    RLLabel14 = grand.Amount;

    RLLabel40 = NewCreditFooter(&RL1, QStringLiteral("RLBand6"), 172);
    RLBand6 = static_cast<TRLBand*>(RLLabel40->FindParentBand());

    RL1.BeforePrint = [this](TRLCustomControl* s, bool& p) { RL1BeforePrint(s, p); };
    RLBand1->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand1BeforePrint(s, p); };
    RLGroup1->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLGroup1BeforePrint(s, p); };
    RLBand2->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand2BeforePrint(s, p); };
    RLBand5->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand5BeforePrint(s, p); };
    RLBand4->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand4BeforePrint(s, p); };
    RL1.EndLoad();
}

// One row: date, the description growing the row as it needs, the account's
// name, the chart-of-accounts code and the amount.
void TFRemotoCap::CreateDetail() {
    RLBand2 = NewBand(RLGroup1, QStringLiteral("RLBand2"), btDetail, 0, 20);
    RLBand2->SetFont(ArialFont(11));
    RLDBText1 = NewDBText(RLBand2, QStringLiteral("RLDBText1"), DataSource1, QStringLiteral("VENC"),
                          4, 3, 60);
    RLDBMemo1 = new TRLDBMemo(RLBand2);
    RLDBMemo1->SetName(QStringLiteral("RLDBMemo1"));
    RLDBMemo1->SetDataSource(DataSource1);
    RLDBMemo1->SetDataField(QStringLiteral("HIST"));
    RLDBMemo1->SetBounds(73, 3, 368, 14);
    // A lone LF is an ordinary character to the memo; the description's
    // lines are put back together with the memo's own CR LF.
    RLDBMemo1->BeforePrint = [](TRLCustomControl*, QString& text, bool&) {
        text = TextLines(text).join(QStringLiteral("\r\n"));
    };
    RLMemo1 = new TRLMemo(RLBand2);
    RLMemo1->SetName(QStringLiteral("RLMemo1"));
    RLMemo1->SetBounds(444, 3, 115, 14);
    RLDBText2 = NewDBText(RLBand2, QStringLiteral("RLDBText2"), DataSource1,
                          QStringLiteral("SUBCONTA"), 562, 3, 63);
    // Exactly one line of the band's font high: a row shrinks to the memos'
    // one-line height, so a taller box would be clipped, and the PDF writer
    // puts a text's baseline at the bottom of its box.
    const int oneLine = TextMetrics::TextHeight(RLBand2->Font());
    RLDBText2->SetAutoSize(false);
    RLDBText2->SetHeight(oneLine);
    RLDBText3 = NewDBText(RLBand2, QStringLiteral("RLDBText3"), DataSource1,
                          QStringLiteral("VALOR"), 628, 3, 87);
    RLDBText3->SetAutoSize(false);
    RLDBText3->SetHeight(oneLine);
    RLDBText3->SetAlignment(taRightJustify);
}

void TFRemotoCap::ImprimeCompromissados(const TPagesTarget& target) {
    condName_ = ReportParts::TCondNameOnce();
    ListingParts::PreviewListing(
        Transa, Query, RL1, QString::fromUtf8(RemotoCap::SelectText),
        [](TIBQuery& query) {
            query.ParamByName(QStringLiteral("wcond")).SetAsInteger(DM->CondLogado);
        },
        target);
}

void TFRemotoCap::RL1BeforePrint(TRLCustomControl*, bool&) {
    totals_.StartReport();
}

void TFRemotoCap::RLBand1BeforePrint(TRLCustomControl*, bool&) {
    RLLabel2->SetCaption(condName_.Get(SQL, DM->CondLogado));
}

void TFRemotoCap::RLGroup1BeforePrint(TRLCustomControl*, bool&) {
    totals_.StartGroup();
    RLLabel12->SetCaption(FormatDateText(QStringLiteral("dd/mm/yyyy"), QueryVENC.AsDateTime()));
}

void TFRemotoCap::RLBand2BeforePrint(TRLCustomControl*, bool&) {
    SQL.Close();
    SQL.SetSQL(QStringLiteral("select nome from conta where cod = ") +
               QString::number(QueryCONTA.AsInteger()) + QLatin1Char(' '));
    SQL.ExecQuery();
    RLMemo1->Lines() = TextLines(SQL.Fields(0).AsString());
    SQL.Close();
    totals_.Add(QueryVALOR.AsCurrency());
}

void TFRemotoCap::RLBand5BeforePrint(TRLCustomControl*, bool&) {
    totals_.EndGroup(RLLabel6);
}

void TFRemotoCap::RLBand4BeforePrint(TRLCustomControl*, bool&) {
    totals_.EndReport(RLLabel14);
}

void RunRemotoCap(QObject* owner, const TPagesTarget& target) {
    // Released however the run ends; the preview keeps the pages alive.
    const std::unique_ptr<TFRemotoCap> form = std::make_unique<TFRemotoCap>(owner);
    form->ImprimeCompromissados(target);
}
