#pragma once
// The in-memory workbook the spreadsheet filter builds while pages arrive:
// sheets, their columns and rows, and ranges (one value cell or one merged
// block each). Writing it to a file is RLXLSWriter's job.
#include <QHash> // std::hash of QString
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

struct TRLXLSColor {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    friend bool operator==(const TRLXLSColor&, const TRLXLSColor&) = default;
};

// The attributes of a platform font that the file keeps.
struct TRLXLSFont {
    enum Style : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    QString Name = QStringLiteral("Arial");
    int Size = 10;    // points
    int Height = -13; // the toolkit's height: negative for a character height in pixels
    std::uint8_t Styles = 0;
    TRLXLSColor Color;
    std::uint8_t Charset = 1;        // default character set
    std::uint8_t PitchAndFamily = 0; // default pitch, any family
    friend bool operator==(const TRLXLSFont&, const TRLXLSFont&) = default;
};

struct TRLXLSBorder {
    TRLXLSColor Color;
    std::uint8_t LineStyle = 0; // 0 none .. 13
};

struct TRLXLSBorders {
    enum Side { DiagonalDown, DiagonalUp, Bottom, Left, Right, Top };
    std::array<TRLXLSBorder, 6> Sides;
    const TRLXLSBorder& operator[](Side s) const { return Sides[s]; }
    TRLXLSBorder& operator[](Side s) { return Sides[s]; }
};

enum TRLXLSValueKind : std::uint8_t { vkNumber = 0, vkText = 1 };

class TRLXLSWorksheet;

class TRLXLSRange {
public:
    TRLXLSWorksheet* Worksheet = nullptr;
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // inclusive cell rectangle
    TRLXLSBorders Borders;
    TRLXLSFont Font;
    std::uint8_t HorizontalAlignment = 0; // 0 general .. 6 centre across selection
    std::uint8_t VerticalAlignment = 2;   // 0 top, 1 centre, 2 bottom, 3 justify
    bool WrapText = false;
    std::uint8_t Rotation = 0;
    QString NumberFormat;
    QString Value;
    TRLXLSValueKind ValueKind = vkText;
    std::uint8_t FillPattern = 0;
    TRLXLSColor ForegroundColor;
    TRLXLSColor BackgroundColor;

    bool IsMerged() const { return Right > Left || Bottom > Top; }

private:
    friend class TRLXLSWorksheet;
    std::size_t slot_ = 0; // where the sheet lists it
};

struct TRLXLSCol {
    int Index = 0;
    int Width = 2048; // 1/256 of a character
};

struct TRLXLSRow {
    int Index = 0;
    int Height = 255; // points
};

struct TRLXLSPageSetup {
    int Copies = 1;
    int Zoom = 100;
    bool CenterHorizontally = false;
    bool CenterVertically = false;
    bool BlackAndWhite = false;
    bool Draft = false;
    bool PrintNotes = false;
    bool PrintGridLines = false;
    double LeftMargin = 2.0; // centimetres, as are the other margins
    double TopMargin = 2.5;
    double RightMargin = 2.0;
    double BottomMargin = 2.5;
    int FirstPageNumber = 1;
    bool FitToPagesTall = true;
    bool FitToPagesWide = true;
    QString LeftFooter, LeftHeader, CenterFooter, CenterHeader, RightFooter, RightHeader;
    double HeaderMargin = 0;
    double FooterMargin = 0;
    // Fixed in this program: A4, down then over, portrait, no headings.
    int PaperSize = 9;
};

class TRLXLSWorkbook;

class TRLXLSWorksheet {
public:
    TRLXLSWorksheet(TRLXLSWorkbook* workbook, QString name);

    TRLXLSWorkbook* Workbook() const { return workbook_; }
    const QString& Name() const { return name_; }
    // The name case-folded, for comparisons that ignore case.
    const QString& FoldedName() const { return folded_; }
    void SetName(const QString& name);

    // Used area; every value is -1 while nothing is used.
    int FirstCol = -1, FirstRow = -1, LastCol = -1, LastRow = -1;
    bool HasUsedRows() const { return FirstRow >= 0; }
    bool HasUsedCols() const { return FirstCol >= 0; }

    // nullptr when absent and create is false. The answer stays valid until
    // the next column or row is made.
    TRLXLSCol* FindCol(int index, bool create);
    TRLXLSRow* FindRow(int index, bool create);
    const TRLXLSRow* FindRow(int index) const;

    // The range with exactly this rectangle, or a new one after every range
    // sharing a cell with it has been deleted: a later text overwrites
    // earlier ones it overlaps. A range keeps the rectangle it was made with.
    TRLXLSRange* FindRange(int left, int top, int right, int bottom);

    // In the order they were made.
    const std::vector<std::unique_ptr<TRLXLSRange>>& Ranges() const;

    // Lets go of what FindRange uses to find the ranges a new one meets,
    // built again should another range come: a workbook keeps it only for
    // the sheet being filled, as a report's pages are many.
    void DropRangeIndex();
    const std::vector<TRLXLSCol>& Cols() const { return cols_; }
    const std::vector<TRLXLSRow>& Rows() const { return rows_; }

private:
    void WidenCols(int first, int last);
    void WidenRows(int first, int last);
    // The ranges that share a cell with the rectangle, each once.
    std::vector<TRLXLSRange*> RangesMeeting(int left, int top, int right, int bottom) const;
    void Enter(TRLXLSRange* range);
    void Remove(TRLXLSRange* range);

    TRLXLSWorkbook* workbook_;
    QString name_;
    QString folded_;
    // A deleted range leaves an empty slot, dropped when the list is next
    // read: deleting from the middle of the list at once would cost a pass
    // over the whole list for every text that overwrites another.
    mutable std::vector<std::unique_ptr<TRLXLSRange>> ranges_;
    mutable std::size_t emptySlots_ = 0;
    // The ranges with cells in each column, by their top row. Ranges never
    // share a cell, so within a column their rows do not overlap either,
    // and the ranges meeting a rectangle are found column by column at a
    // cost that follows the ranges, not the cells they cover.
    std::map<int, std::map<int, TRLXLSRange*>> columns_;
    bool indexed_ = true; // columns_ holds every range
    std::vector<TRLXLSCol> cols_;
    std::vector<TRLXLSRow> rows_;
    std::unordered_map<int, std::size_t> colAt_;
    std::unordered_map<int, std::size_t> rowAt_;
};

class TRLXLSWorkbook {
public:
    QString UserName = QStringLiteral("KalvarReport");
    TRLXLSPageSetup PageSetup;

    const std::vector<std::unique_ptr<TRLXLSWorksheet>>& Sheets() const { return sheets_; }
    void Clear() {
        sheets_.clear();
        names_.clear();
    }
    // Appends a sheet named prefix + n, n counting from the sheet count + 1
    // upwards until the name is free (names compared ignoring case).
    TRLXLSWorksheet* NewSheet(const QString& prefix);
    TRLXLSWorksheet* SheetByName(const QString& name) const;

private:
    friend class TRLXLSWorksheet;
    // Keeps count of the sheets' case-folded names; none for a new sheet.
    void Renamed(const QString* before, const QString& after);

    std::vector<std::unique_ptr<TRLXLSWorksheet>> sheets_;
    // How many sheets bear each case-folded name: a new sheet's name is
    // found free without comparing it with every sheet, which made a page
    // file of many small pages cost the square of their number.
    std::unordered_map<QString, int> names_;
};
