#pragma once
// The spreadsheet save filter: one worksheet per report page, one cell (or
// merged block) per text of the page, with column widths and row heights
// taken from where the texts stand. Lines, boxes, fills and pictures are
// not exported. Pages only build the workbook model; EndDoc writes the file.
#include "RLFilters.h"
#include "RLXLSWorkbook.h"

#include <QFlags>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TRLGraphicSurface;

// One text object of a stored page, with what the spreadsheet needs of it.
// Coordinates are page pixels (96 per inch), right and bottom exclusive.
struct TRLXLSPageText {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    QString Text; // the display text, macros already expanded
    TRLXLSFont Font;
    std::uint8_t Alignment = 1; // 1 left, 2 right, 3 centre, 4 justify
    std::uint8_t Layout = 1;    // 1 top, 2 bottom, 3 centre, 4 justify
};

struct TRLXLSPage {
    std::vector<TRLXLSPageText> Texts;
};

// foFindValueCells: texts that read as numbers become number cells.
// The others are the report tool's additions for spreadsheets whose
// amounts are to be summed; the program itself never sets them:
// foTrailingMinus: with foFindValueCells, the reports' own negative form
//   with the minus at the end ("20,00 -", "1.234,56-") reads as negative.
// foGroupedThousands: with foFindValueCells, a text with thousands
//   separators is a number only when they stand between groups of three
//   digits before the decimal separator. Page texts made under other
//   regional settings than the ones read with ("50,00" read with a decimal
//   point) then stay texts instead of becoming numbers a hundred times
//   too large.
// foRightAlignedNumbersInLastColumn: a right-aligned number goes in the
//   last column of the cells its text spans, alone. Amounts end where their
//   report column ends but start wherever their width puts them; stored at
//   their end, the amounts of one report column land in one spreadsheet
//   column. Numbers aligned otherwise line up by their first column already.
enum TRLXLSFilterOption {
    foFindValueCells = 1,
    foTrailingMinus = 2,
    foGroupedThousands = 4,
    foRightAlignedNumbersInLastColumn = 8,
};
Q_DECLARE_FLAGS(TRLXLSFilterOptions, TRLXLSFilterOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRLXLSFilterOptions)

class TRLXLSFilter : public TRLCustomSaveFilter {
    Q_OBJECT
public:
    explicit TRLXLSFilter(QObject* owner = nullptr);
    ~TRLXLSFilter() override;

    TRLXLSFilterOptions Options;

    const TRLXLSPageSetup& PageSetup() const { return workbook_.PageSetup; }
    void SetPageSetup(const TRLXLSPageSetup& setup) { workbook_.PageSetup = setup; }
    // The model of the last document; it stays until the next BeginDoc.
    const TRLXLSWorkbook& Workbook() const { return workbook_; }

    // The filter operations FilterPages calls; public so that a workbook can
    // also be built from page texts that do not come from a storage.
    void BeginDoc() override;
    void DrawPage(TRLGraphicSurface& page) override;
    void DrawPage(const TRLXLSPage& page);
    void NewPage() override {}
    void EndDoc() override;

private:
    struct TScratch;
    TScratch& Scratch();

    TRLXLSWorkbook workbook_;
    std::unique_ptr<TScratch> scratch_;
    // The system's decimal separator when the document began: number texts
    // are written and read back with the same one.
    QChar decimal_ = u'.';
};

namespace XLS {

// The texts of a stored page that the spreadsheet shows: every text object
// whose display text is not empty, in drawing order.
TRLXLSPage PageTexts(const TRLGraphicSurface& page);
// The same into a page kept from an earlier call, its room reused.
void PageTexts(const TRLGraphicSurface& page, TRLXLSPage& out);

// A horizontal page coordinate in the file's column units (1/256 of a
// character): 38.1 per pixel, rounded to nearest, ties to even.
int ColumnUnits(int x);

// The value and kind a cell gets from a page text. With foFindValueCells
// in the options, a text that reads as a number under the given decimal
// separator becomes a number; foTrailingMinus and foGroupedThousands change
// what reads as one (see above).
struct TCellValue {
    QString Value;
    TRLXLSValueKind Kind = vkText;
};
TCellValue CellValue(const QString& text, TRLXLSFilterOptions options, QChar decimalSeparator);
// The same with foFindValueCells alone, or no option.
void SetCellValue(TRLXLSRange& range, const QString& text, bool findNumbers,
                  QChar decimalSeparator);

} // namespace XLS
