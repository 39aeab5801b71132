#pragma once
// What the report forms share: the firm's logo, the page-footer credit line,
// the totals' pattern and small builders for the bands and controls of a
// form's report.
#include "RLReport.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class TIBSQL;

// Where a report run's pages go: to a caller that keeps them (the report
// tool) instead of the preview window; empty for the preview window.
using TPagesTarget = std::function<void(TRLGraphicStorage* pages)>;

namespace ReportParts {

// Amounts of the unit, day and grand totals: blank when zero, the minus
// sign after the digits.
inline const char* const TotalPattern = "###,###,##0.00 ;###,###,##0.00-; ";

// The credit line at the right end of every page's footer.
QString CreditLine();
// The firm's logo, 73 by 65 pixels, drawn once.
const QImage& FirmLogo();

// The text of column 0 of "select nome from cond where cond = <n> ".
QString CondName(TIBSQL& sql, int cond);

// The condominium's name for every page's header. The listings run in one
// snapshot transaction, where the name cannot change, so it is read for the
// first page and kept: a round trip per page was the largest cost of a long
// listing after the data itself.
class TCondNameOnce {
public:
    QString Get(TIBSQL& sql, int cond);

private:
    bool known_ = false;
    int cond_ = 0;
    QString name_;
};

// A text from the server as a memo's lines. Histories and descriptions
// come with CR LF, a lone LF or a lone CR between their lines: each of the
// three ends one line, and a break at the very end opens no empty line.
QStringList TextLines(const QString& text);

TRLFont ArialFont(int pixels, bool bold = false);

TRLBand* NewBand(TRLCustomControl* parent, const QString& name, TRLBandType type, int top,
                 int height);
TRLLabel* NewLabel(TRLCustomControl* band, const QString& name, const QString& caption, int left,
                   int top, int width = 0);
TRLDBText* NewDBText(TRLCustomControl* band, const QString& name, TDataSet* data,
                     const QString& field, int left, int top, int width);

// The pieces of every page header: the logo (73 by 65), the firm's name,
// the page number and the issue date (both right-aligned in the width).
TRLImage* NewLogo(TRLCustomControl* band, int left, int top);
TRLLabel* NewFirmName(TRLCustomControl* band, int left, int top);
TRLSystemInfo* NewPageNumber(TRLCustomControl* band, int left, int top);
TRLSystemInfo* NewIssueDate(TRLCustomControl* band, int left, int top);

// The page header every listing shares (logo, firm, title, condominium,
// page number, date); returns the band. The x positions of the title, the
// page number and the date differ between the listings.
struct THeaderParts {
    TRLBand* Band;
    TRLImage* Logo;
    TRLLabel* Firm;
    TRLLabel* Title;
    TRLLabel* Cond;
    TRLSystemInfo* PageNumber;
    TRLSystemInfo* Date;
};
THeaderParts NewPageHeader(TRLCustomControl* report, const QString& title, TPoint titleAt,
                           int pageNumberLeft, int dateLeft);

// The footer with a line along its top and the credit line at its right.
TRLLabel* NewCreditFooter(TRLCustomControl* report, const QString& bandName, int top);

} // namespace ReportParts
