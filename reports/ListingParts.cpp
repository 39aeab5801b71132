#include "ListingParts.h"

#include "DMod.h"
#include "FormatNumber.h"
#include "ReportParts.h"

namespace ListingParts {
namespace {

void ShowTotal(TRLLabel* label, std::int64_t& total) {
    label->SetCaption(FormatFixedText(QString::fromLatin1(ReportParts::TotalPattern), total));
    total = 0;
}

} // namespace

void Connect(TIBTransaction& transa, TIBQuery& query, TIBSQL& sql) {
    transa.SetDefaultDatabase(&DM->BDados);
    query.SetDatabase(&DM->BDados);
    query.SetTransaction(&transa);
    sql.SetDatabase(&DM->BDados);
    sql.SetTransaction(&transa);
}

void PreviewListing(TIBTransaction& transa, TIBQuery& query, TRLReport& report,
                    const QString& statement, const std::function<void(TIBQuery&)>& setParams,
                    const TPagesTarget& target) {
    transa.SetActive(false);
    transa.SetActive(true);
    query.Close();
    query.SetSQL(statement);
    setParams(query);
    query.Open();
    report.Preview(target);
    query.Close();
    transa.SetActive(false);
}

TTotalBand NewTotalBand(TRLCustomControl* parent, const QString& bandName,
                        const std::array<QString, 3>& labelNames, const TTotalPlace& place) {
    using namespace ReportParts;
    TTotalBand total;
    total.Band = NewBand(parent, bandName, btSummary, place.Top, place.Height);
    total.Band->Borders()->SetSides(sdAll);
    if (place.FontPixels > 0) {
        total.Band->SetFont(ArialFont(place.FontPixels));
    }
    total.Caption =
        NewLabel(total.Band, labelNames[0], place.Caption, place.CaptionLeft, place.TextTop);
    if (place.KeyWidth > 0) {
        total.Key = NewLabel(total.Band, labelNames[1], QString(), place.KeyLeft, place.TextTop,
                             place.KeyWidth);
    }
    total.Amount = NewLabel(total.Band, labelNames[2], QString(), place.AmountLeft, place.TextTop,
                            place.AmountWidth);
    total.Amount->SetAlignment(taRightJustify);
    return total;
}

void TListingTotals::EndGroup(TRLLabel* amount) {
    ShowTotal(amount, group_);
}

void TListingTotals::EndReport(TRLLabel* amount) {
    ShowTotal(amount, grand_);
}

} // namespace ListingParts
