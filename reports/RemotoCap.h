#pragma once
// "Compromissados": the payables of the logged-in condominium that are
// committed and not yet paid, grouped by due date, with each day's total
// and a grand total. The form is never shown; it holds the report, its query
// and the statement of the lookups, and serves one run.
#include "IBQuery.h"
#include "IBSQL.h"
#include "ListingParts.h"
#include "RLReport.h"
#include "ReportParts.h"

#include <QObject>
#include <cstdint>

// Day and grand totals in ten-thousandths, so sums of amounts are exact.
// They outlive the form; every generation starts them at 0.
extern std::int64_t TotDia;
extern std::int64_t TotGeralCap;

class TFRemotoCap : public QObject {
public:
    explicit TFRemotoCap(QObject* owner = nullptr);
    ~TFRemotoCap() override;

    // Opens the query, generates the pages into the target (the preview
    // when empty), closes.
    void ImprimeCompromissados(const TPagesTarget& target = {});

private:
    // Declared first: the constructor sets it before the fields.
    ListingParts::TListingTotals totals_;

public:
    TIBTransaction Transa;
    TIBQuery Query;
    TIBSQL SQL;

    TIBField& QueryVENC;
    TIBField& QueryHIST;
    TIBField& QueryVALOR;
    TIBField& QueryCONTA;
    TIBField& QuerySUBCONTA;

    // What the report and its data-bound controls read.
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
    TRLBand* RLBand2;
    TRLDBText* RLDBText1;
    TRLDBMemo* RLDBMemo1;
    TRLMemo* RLMemo1;
    TRLDBText* RLDBText2;
    TRLDBText* RLDBText3;
    TRLBand* RLBand5;
    TRLLabel* RLLabel5;
    TRLLabel* RLLabel12;
    TRLLabel* RLLabel6;
    TRLBand* RLBand4;
    TRLLabel* RLLabel13;
    TRLLabel* RLLabel14;
    TRLBand* RLBand6;
    TRLLabel* RLLabel40;

    void RL1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLGroup1BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand2BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand5BeforePrint(TRLCustomControl* Sender, bool& PrintIt);
    void RLBand4BeforePrint(TRLCustomControl* Sender, bool& PrintIt);

private:
    void CreateReport();
    // Read on the run's first page, in the run's own transaction.
    ReportParts::TCondNameOnce condName_;
    void CreateDetail();
};

namespace RemotoCap {
extern const char* const SelectText;
} // namespace RemotoCap

// What the selection screen's "&Compromissado" does: creates the form, runs
// it and releases it. The tool hands a target that keeps the pages.
void RunRemotoCap(QObject* owner, const TPagesTarget& target = {});
