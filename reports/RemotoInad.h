#pragma once
// "Relação de Inadimplentes": the bills of the logged-in condominium that are
// past due and unpaid, grouped by unit, with each unit's total and a grand
// total. The form is never shown; it holds the report, its query and the
// statement of the header, and serves one run.
#include "IBQuery.h"
#include "IBSQL.h"
#include "ListingParts.h"
#include "RLReport.h"
#include "ReportParts.h"

#include <QObject>
#include <cstdint>

// Unit and grand totals in ten-thousandths, so sums of amounts are exact.
// They outlive the form; every generation starts them at 0.
extern std::int64_t TotImovel;
extern std::int64_t TotGeralInad;

class TFRemotoInad : public QObject {
public:
    explicit TFRemotoInad(QObject* owner = nullptr);
    ~TFRemotoInad() override;

    // Opens the query, generates the pages into the target (the preview
    // when empty), closes.
    void ImprimeInadimplencia(const TPagesTarget& target = {});

private:
    // Declared first: the constructor sets it before the fields.
    ListingParts::TListingTotals totals_;

public:
    TIBTransaction Transa;
    TIBQuery Query;
    TIBSQL SQL;

    TIBField& QueryNUMREC;
    TIBField& QueryIMOVEL;
    TIBField& QueryVENC;
    TIBField& QueryVALOR;
    TIBField& QueryMESREF;
    TIBField& QueryCOMPLEM;

    // What the report and its data-bound texts read.
    TDataSet* const DataSource1;

    TRLReport RL1;
    TRLBand* RLBand1;
    TRLImage* RLImage1;
    TRLLabel* RLLabel1;
    TRLLabel* RLLabel4;
    TRLLabel* RLLabel2;
    TRLSystemInfo* RLSystemInfo1;
    TRLSystemInfo* RLSystemInfo2;
    TRLBand* RLBand3;
    TRLGroup* RLGroup1;
    TRLBand* RLBand4;
    TRLBand* RLBand5;
    TRLLabel* RLLabel5;
    TRLLabel* RLLabel12;
    TRLLabel* RLLabel6;
    TRLBand* RLBand2;
    TRLLabel* RLLabel13;
    TRLLabel* RLLabel14;
    TRLBand* RLBand6;
    TRLLabel* RLLabel40;

    void RL1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLGroup1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand4BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand5BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand2BeforePrint(TRLCustomControl* Sender, bool& PrintIt);

private:
    void CreateReport();
    // Read on the run's first page, in the run's own transaction.
    ReportParts::TCondNameOnce condName_;
};

// The statement of the run, both parts as they are sent.
namespace RemotoInad {
extern const char* const SelectText;
extern const char* const WhereText;
} // namespace RemotoInad

// What the selection screen's "Inadimplência" does: creates the form, runs
// it and releases it. The tool hands a target that keeps the pages.
void RunRemotoInad(QObject* owner, const TPagesTarget& target = {});
