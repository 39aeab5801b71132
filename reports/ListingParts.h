#pragma once
// What the two listings ("Relação de Inadimplentes" and "Compromissados")
// share beyond the page header: their statements on the data module's
// connection, the run that fills the preview, the bands of a group's total
// and of the grand total, and the running totals behind them.
#include "IBQuery.h"
#include "IBSQL.h"
#include "RLReport.h"
#include "ReportParts.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace ListingParts {

// The form's transaction, its query and its lookup statement, all on the
// data module's connection.
void Connect(TIBTransaction& transa, TIBQuery& query, TIBSQL& sql);

// Opens the query in a fresh transaction, with the parameters set by the
// caller, generates the pages into the target (the preview when empty),
// then closes both. A failed generation has handed its error to the
// engine's error sink; the query and the transaction are closed all the same.
void PreviewListing(TIBTransaction& transa, TIBQuery& query, TRLReport& report,
                    const QString& statement, const std::function<void(TIBQuery&)>& setParams,
                    const TPagesTarget& target);

// Where a total band and its labels sit. No key label when KeyWidth is 0.
struct TTotalPlace {
    int Top = 0;
    int Height = 0;
    int FontPixels = 0; // 0 keeps the report's font
    QString Caption;
    int CaptionLeft = 0;
    int TextTop = 0;
    int KeyLeft = 0;
    int KeyWidth = 0;
    int AmountLeft = 0;
    int AmountWidth = 0;
};

struct TTotalBand {
    TRLBand* Band = nullptr;
    TRLLabel* Caption = nullptr;
    TRLLabel* Key = nullptr; // the group's unit or day
    TRLLabel* Amount = nullptr;
};

// A summary band with a border all round: the caption, the group's key
// when placed, and the amount aligned to the right. Names are the band's
// and its labels' (caption, key, amount).
TTotalBand NewTotalBand(TRLCustomControl* parent, const QString& bandName,
                        const std::array<QString, 3>& labelNames, const TTotalPlace& place);

// The running totals of a listing in ten-thousandths, a group's and the
// report's. They live in variables that outlive the form, as the forms
// declare them.
class TListingTotals {
public:
    TListingTotals(std::int64_t& group, std::int64_t& grand) : group_(group), grand_(grand) {}
    void StartReport() { group_ = grand_ = 0; }
    void StartGroup() { group_ = 0; }
    void Add(std::int64_t amount) {
        group_ += amount;
        grand_ += amount;
    }
    // Shows a total in its label, then starts it again from 0.
    void EndGroup(TRLLabel* amount);
    void EndReport(TRLLabel* amount);

private:
    std::int64_t& group_;
    std::int64_t& grand_;
};

} // namespace ListingParts
