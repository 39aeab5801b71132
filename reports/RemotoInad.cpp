#include "RemotoInad.h"

#include "DMod.h"
#include "DateTime.h"
#include "FormatNumber.h"
#include "ListingParts.h"
#include "ReportParts.h"

#include <memory>

using namespace ReportParts;
using namespace ListingParts;

std::int64_t TotImovel = 0;
std::int64_t TotGeralInad = 0;

namespace RemotoInad {
const char* const SelectText =
    "select RECEMIM.numrec,recemim.imovel,recemim.venc,recemim.valor, "
    "recemim.mesref,IMOVEL.COMPLEM from RECEMIM inner join IMOVEL on recemim.cond = "
    "imovel.cond and recemim.imovel = imovel.imovel ";
// A payment date before 1901 is how the firm's system marks a bill unpaid.
const char* const WhereText =
    " WHERE recemim.cond = :wcond and recemim.VENC < :WHOJE  AND ((recemim.DATAPAG IS NULL) "
    "OR (recemim.DATAPAG < '01/01/1901'))  order by recemim.imovel, recemim.venc ";
} // namespace RemotoInad

TFRemotoInad::TFRemotoInad(QObject* owner)
    : QObject(owner), totals_(TotImovel, TotGeralInad),
      QueryNUMREC(Query.AddField<TIntegerField>(QStringLiteral("NUMREC"))),
      QueryIMOVEL(Query.AddField<TIBStringField>(QStringLiteral("IMOVEL"))),
      QueryVENC(Query.AddField<TDateTimeField>(QStringLiteral("VENC"))),
      QueryVALOR(Query.AddField<TIBBCDField>(QStringLiteral("VALOR"))),
      QueryMESREF(Query.AddField<TDateTimeField>(QStringLiteral("MESREF"))),
      QueryCOMPLEM(Query.AddField<TIBStringField>(QStringLiteral("COMPLEM"))), DataSource1(&Query) {
    setObjectName(QStringLiteral("FRemotoInad"));
    ListingParts::Connect(Transa, Query, SQL);
    QueryVENC.SetDisplayFormat(QStringLiteral("dd/mm/yyyy"));
    QueryVALOR.SetDisplayFormat(QStringLiteral("###,###,##0.00 ;###,###,##0.00-;  "));
    QueryMESREF.SetDisplayFormat(QStringLiteral("mm/yyyy"));
    CreateReport();
}

TFRemotoInad::~TFRemotoInad() = default;

void TFRemotoInad::CreateReport() {
    RL1.SetName(QStringLiteral("RL1"));
    RL1.BeginLoad();
    RL1.Margins().LeftMargin = 20;
    RL1.SetFont(ArialFont(13));
    RL1.SetDataSource(DataSource1);

    const THeaderParts h =
        NewPageHeader(&RL1, QStringLiteral("Relação de Inadimplentes"), TPoint{300, 46}, 563, 572);
    RLBand1 = h.Band;
    RLImage1 = h.Logo;
    RLLabel1 = h.Firm;
    RLLabel4 = h.Title;
    RLLabel2 = h.Cond;
    RLSystemInfo1 = h.PageNumber;
    RLSystemInfo2 = h.Date;

    RLBand3 = NewBand(&RL1, QStringLiteral("RLBand3"), btColumnHeader, 86, 23);
    RLBand3->Borders()->SetSides(sdAll);
    NewLabel(RLBand3, QStringLiteral("RLLabel3"), QStringLiteral("Imóvel:"), 22, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel7"), QStringLiteral("Complemento"), 83, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel8"), QStringLiteral("Mês"), 210, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel9"), QStringLiteral("Nº Boleto"), 277, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel10"), QStringLiteral("Vencimento"), 373, 4);
    NewLabel(RLBand3, QStringLiteral("RLLabel11"), QStringLiteral("Valor"), 502, 4);

    RLGroup1 = new TRLGroup(&RL1);
    RLGroup1->SetName(QStringLiteral("RLGroup1"));
    RLGroup1->SetDataFields(QStringLiteral("IMOVEL"));
    RLGroup1->SetBounds(0, 109, RLGroup1->Width(), 43);

    RLBand4 = NewBand(RLGroup1, QStringLiteral("RLBand4"), btDetail, 0, 20);
    struct Column {
        const char* name;
        const char* field;
        int left;
        int width;
        bool right;
    };
    const Column columns[] = {
        {"RLDBText1", "IMOVEL", 16, 53, true},  {"RLDBText2", "COMPLEM", 86, 70, false},
        {"RLDBText3", "MESREF", 193, 59, true}, {"RLDBText4", "NUMREC", 277, 60, true},
        {"RLDBText5", "VENC", 374, 40, false},  {"RLDBText6", "VALOR", 502, 48, true},
    };
    for (const Column& c : columns) {
        TRLDBText* text = NewDBText(RLBand4, QString::fromLatin1(c.name), DataSource1,
                                    QString::fromLatin1(c.field), c.left, 2, c.width);
        if (c.right) {
            text->SetAlignment(taRightJustify);
        }
    }

    const TTotalBand unit = NewTotalBand(
        RLGroup1, QStringLiteral("RLBand5"),
        {QStringLiteral("RLLabel5"), QStringLiteral("RLLabel12"), QStringLiteral("RLLabel6")},
        {.Top = 20,
         .Height = 23,
         .Caption = QStringLiteral("Total do imóvel: "),
         .CaptionLeft = 161,
         .TextTop = 4,
         .KeyLeft = 264,
         .KeyWidth = 58,
         .AmountLeft = 491,
         .AmountWidth = 58});
    RLBand5 = unit.Band;
    RLLabel5 = unit.Caption;
    RLLabel12 = unit.Key;
    RLLabel6 = unit.Amount;

    const TTotalBand grand =
        NewTotalBand(&RL1, QStringLiteral("RLBand2"),
                     {QStringLiteral("RLLabel13"), QString(), QStringLiteral("RLLabel14")},
                     {.Top = 152,
                      .Height = 24,
                      .Caption = QStringLiteral("Total Geral"),
                      .CaptionLeft = 262,
                      .TextTop = 4,
                      .AmountLeft = 491,
                      .AmountWidth = 58});
    RLBand2 = grand.Band;
    RLLabel13 = grand.Caption;
    RLLabel14 = grand.Amount;

    RLLabel40 = NewCreditFooter(&RL1, QStringLiteral("RLBand6"), 176);
    RLBand6 = static_cast<TRLBand*>(RLLabel40->FindParentBand());

    RL1.BeforePrint = [this](TRLCustomControl* s, bool& p) { RL1BeforePrint(s, p); };
    RLBand1->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand1BeforePrint(s, p); };
    RLGroup1->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLGroup1BeforePrint(s, p); };
    RLBand4->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand4BeforePrint(s, p); };
    RLBand5->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand5BeforePrint(s, p); };
    RLBand2->BeforePrint = [this](TRLCustomControl* s, bool& p) { RLBand2BeforePrint(s, p); };
    RL1.EndLoad();
}

void TFRemotoInad::ImprimeInadimplencia(const TPagesTarget& target) {
    condName_ = ReportParts::TCondNameOnce();
    ListingParts::PreviewListing(
        Transa, Query, RL1,
        QString::fromUtf8(RemotoInad::SelectText) + QString::fromUtf8(RemotoInad::WhereText),
        [](TIBQuery& query) {
            query.ParamByName(QStringLiteral("wcond")).SetAsInteger(DM->CondLogado);
            query.ParamByName(QStringLiteral("whoje")).SetAsDateTime(DateTime::Today());
        },
        target);
}

void TFRemotoInad::RL1BeforePrint(TRLCustomControl*, bool&) {
    totals_.StartReport();
}

void TFRemotoInad::RLBand1BeforePrint(TRLCustomControl*, bool&) {
    RLLabel2->SetCaption(condName_.Get(SQL, DM->CondLogado));
}

void TFRemotoInad::RLGroup1BeforePrint(TRLCustomControl*, bool&) {
    totals_.StartGroup();
    RLLabel12->SetCaption(QueryIMOVEL.AsString());
}

void TFRemotoInad::RLBand4BeforePrint(TRLCustomControl*, bool&) {
    totals_.Add(QueryVALOR.AsCurrency());
}

void TFRemotoInad::RLBand5BeforePrint(TRLCustomControl*, bool&) {
    totals_.EndGroup(RLLabel6);
}

void TFRemotoInad::RLBand2BeforePrint(TRLCustomControl*, bool&) {
    totals_.EndReport(RLLabel14);
}

void RunRemotoInad(QObject* owner, const TPagesTarget& target) {
    // Released however the run ends; the preview keeps the pages alive.
    const std::unique_ptr<TFRemotoInad> form = std::make_unique<TFRemotoInad>(owner);
    form->ImprimeInadimplencia(target);
}
