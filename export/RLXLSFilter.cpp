#include "RLXLSFilter.h"

#include "EngineMessages.h"
#include "RLMetaFile.h"
#include "RLXLSWriter.h"
#include "RegionalSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace XLS {

int ColumnUnits(int x) {
    // x / 96 inch * 1440 twips * 2.54 = x * 38.1, kept exact in integers.
    const long long tenths = static_cast<long long>(x) * 381;
    long long q = tenths / 10;
    long long r = tenths % 10;
    if (r < 0) {
        r += 10;
        --q;
    }
    if (r > 5 || (r == 5 && (q & 1))) {
        ++q;
    }
    return static_cast<int>(q);
}

namespace {

// A plain decimal number: optional sign, digits with an optional fraction,
// optional exponent, nothing else.
bool IsPlainNumber(const QString& t) {
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && t[i] >= u'0' && t[i] <= u'9') {
            ++i;
        }
        return i - from;
    };
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        ++i;
    }
    qsizetype mantissa = digits();
    if (i < n && t[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == n;
}

} // namespace

namespace {

// The number a text holds: thousands separators dropped, the decimal
// separator read as a point, the whole text consumed.
std::optional<double> ReadNumber(QString t, QChar decimalSeparator) {
    const QChar thousands = decimalSeparator == u'.' ? u',' : u'.';
    t.remove(thousands);
    t.replace(decimalSeparator, u'.');
    if (t.isEmpty() || !IsPlainNumber(t)) {
        return std::nullopt;
    }
    const QByteArray ascii = t.toLatin1();
    const char* first = ascii.constData() + (ascii.startsWith('+') ? 1 : 0);
    double number = 0;
    const auto [end, ec] = std::from_chars(first, ascii.constData() + ascii.size(), number);
    if (ec != std::errc() || end != ascii.constData() + ascii.size() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

// "20,00 -" or "1.234,56-": the amount without its sign, which it may carry
// only at its end.
std::optional<double> ReadTrailingMinus(const QString& t, QChar decimalSeparator) {
    if (!t.endsWith(u'-')) {
        return std::nullopt;
    }
    const QString amount = t.chopped(1).trimmed();
    if (amount.startsWith(u'-') || amount.startsWith(u'+')) {
        return std::nullopt;
    }
    const std::optional<double> number = ReadNumber(amount, decimalSeparator);
    if (!number) {
        return std::nullopt;
    }
    return *number == 0 ? 0.0 : -*number;
}

// Thousands separators only between groups of three digits of the whole
// part: "1.234.567,8" and "12.345 -" yes, "50.00", "1.2345" or "1234.567" no.
bool ThousandsInGroups(QString t, QChar decimalSeparator) {
    const QChar thousands = decimalSeparator == u'.' ? u',' : u'.';
    if (!t.contains(thousands)) {
        return true;
    }
    if (t.endsWith(u'-')) {
        t = t.chopped(1).trimmed();
    }
    const qsizetype decimal = t.indexOf(decimalSeparator);
    if (decimal >= 0 && t.indexOf(thousands, decimal) >= 0) {
        return false;
    }
    const QStringList groups = (decimal < 0 ? t : t.left(decimal)).split(thousands);
    const QString& first = groups.front();
    const qsizetype lead = first.size() - (first.startsWith(u'-') || first.startsWith(u'+'));
    if (lead < 1 || lead > 3) {
        return false;
    }
    return std::all_of(groups.begin() + 1, groups.end(),
                       [](const QString& g) { return g.size() == 3; });
}

} // namespace

TCellValue CellValue(const QString& text, TRLXLSFilterOptions options, QChar decimalSeparator) {
    TCellValue cell;
    cell.Value = text;
    if (cell.Value.contains(u'\r')) {
        cell.Value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    if (!options.testFlag(foFindValueCells)) {
        return cell;
    }
    QString t = cell.Value;
    t.replace(u'\n', u' ');
    t = t.trimmed();
    if (options.testFlag(foGroupedThousands) && !ThousandsInGroups(t, decimalSeparator)) {
        return cell;
    }
    std::optional<double> number = ReadNumber(t, decimalSeparator);
    if (!number && options.testFlag(foTrailingMinus)) {
        number = ReadTrailingMinus(t, decimalSeparator);
    }
    if (!number) {
        return cell;
    }
    // Printed with 15 significant digits, as the file will store it.
    char buffer[32];
    const auto printed =
        std::to_chars(buffer, buffer + sizeof buffer, *number, std::chars_format::general, 15);
    cell.Value = QString::fromLatin1(buffer, printed.ptr - buffer);
    cell.Value.replace(u'.', decimalSeparator);
    cell.Kind = vkNumber;
    return cell;
}

void SetCellValue(TRLXLSRange& range, const QString& text, bool findNumbers,
                  QChar decimalSeparator) {
    TCellValue cell =
        CellValue(text, findNumbers ? TRLXLSFilterOptions(foFindValueCells) : TRLXLSFilterOptions(),
                  decimalSeparator);
    range.Value = std::move(cell.Value);
    range.ValueKind = cell.Kind;
}

TRLXLSPage PageTexts(const TRLGraphicSurface& page) {
    TRLXLSPage out;
    PageTexts(page, out);
    return out;
}

void PageTexts(const TRLGraphicSurface& page, TRLXLSPage& out) {
    out.Texts.clear();
    out.Texts.reserve(static_cast<std::size_t>(page.ObjectCount()));
    for (int i = 0; i < page.ObjectCount(); ++i) {
        if (page.Objects(i)->Kind() != TRLGraphicObjectKind::Text) {
            continue;
        }
        const auto* text = static_cast<const TRLTextObject*>(page.Objects(i));
        TRLXLSPageText t;
        t.Text = page.ExpandMacros(text->Text);
        if (t.Text.isEmpty()) {
            continue;
        }
        const TRect& box = text->BoundsRect;
        t.Left = box.Left;
        t.Top = box.Top;
        t.Right = box.Right;
        t.Bottom = box.Bottom;
        const TRLMetaFont& f = text->Font;
        const QStringList& names = page.FontNames();
        if (f.NameIndex >= 0 && f.NameIndex < names.size()) {
            t.Font.Name = names[f.NameIndex];
        }
        t.Font.Size = f.Size;
        t.Font.Height = f.Height;
        t.Font.Styles = f.Style;
        t.Font.Color = {f.Color.Red, f.Color.Green, f.Color.Blue};
        t.Font.Charset = f.Charset;
        // The stored pitch (1 default, 2 variable, 3 fixed) as the platform's
        // pitch-and-family byte (0 default, 2 variable, 1 fixed).
        t.Font.PitchAndFamily = f.Pitch == 2 ? 2 : f.Pitch == 3 ? 1 : 0;
        t.Alignment = static_cast<std::uint8_t>(text->Alignment);
        t.Layout = static_cast<std::uint8_t>(text->Layout);
        out.Texts.push_back(std::move(t));
    }
}

} // namespace XLS

namespace {

constexpr int ThinColumn = 381; // X(10)
constexpr int ThinRow = 10;
// A sheet of the file format has 256 columns and 65,536 rows; what a page
// has beyond them goes into the last one.
constexpr std::size_t MostColumns = 256;
constexpr std::size_t MostRows = 65536;

struct Edge {
    int Pos;
    int Size;
};

// Sorted by position; a position entered more than once keeps the larger
// size. The list grows as needed, however many edges a page has, and is
// sorted once: entering each edge in its place would move the whole list
// along for every text of a page with many.
void SortEdges(std::vector<Edge>& edges) {
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
        return a.Pos != b.Pos ? a.Pos < b.Pos : a.Size > b.Size;
    });
    edges.erase(std::unique(edges.begin(), edges.end(),
                            [](const Edge& a, const Edge& b) { return a.Pos == b.Pos; }),
                edges.end());
}

void SizeFromNeighbours(std::vector<Edge>& edges) {
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        edges[i].Size = edges[i + 1].Pos - edges[i].Pos;
    }
}

// Removes edges too close to the next one, last to first; the edge before a
// removed one then reaches to the edge that now follows it (and keeps its
// size when nothing follows). One pass from the end, as erasing each edge
// in place would move the list along once per thin edge.
void DropThin(std::vector<Edge>& edges, int minimum) {
    std::vector<Edge> kept;
    kept.reserve(edges.size());
    for (std::size_t i = edges.size(); i-- > 0;) {
        const int size = kept.empty() ? edges[i].Size : kept.back().Pos - edges[i].Pos;
        if (size >= minimum) {
            kept.push_back({edges[i].Pos, size});
        }
    }
    std::reverse(kept.begin(), kept.end());
    edges = std::move(kept);
}

// The cells [first, last] a span [from, to) covers, the last cell of the
// sheet taking the span when it starts beyond.
std::pair<int, int> CellSpan(const std::vector<Edge>& edges, int from, int to, int thin,
                             std::size_t most) {
    auto it = std::lower_bound(edges.begin(), edges.end(), from,
                               [](const Edge& e, int p) { return e.Pos < p; });
    const int first = static_cast<int>(it - edges.begin());
    const auto stop = std::lower_bound(edges.begin(), edges.end(), to - thin,
                                       [](const Edge& e, int p) { return e.Pos < p; });
    const int end = std::max(first, static_cast<int>(stop - edges.begin()));
    // A text narrower or lower than a thin edge would get a last cell before
    // its first and, for rows, no cell at all; it keeps at least one.
    const int last = static_cast<int>(most) - 1;
    return {std::min(first, last), std::min(std::max(first, end - 1), last)};
}

std::uint8_t HorizontalAlignment(std::uint8_t alignment) {
    switch (alignment) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    case 4:
        return 5;
    default:
        return 0;
    }
}

std::uint8_t VerticalAlignment(std::uint8_t layout) {
    switch (layout) {
    case 1:
        return 0;
    case 2:
        return 2;
    case 3:
        return 1;
    case 4:
        return 3;
    default:
        return 2;
    }
}

} // namespace

TRLXLSFilter::TRLXLSFilter(QObject* owner) : TRLCustomSaveFilter(owner) {
    DisplayName = Messages().XlsFormat;
    DefaultExt = QStringLiteral(".xls");
}

TRLXLSFilter::~TRLXLSFilter() {
    WaitForRun();
}

void TRLXLSFilter::BeginDoc() {
    workbook_.Clear();
    decimal_ = RegionalSettings::CurrentDecimalSeparator();
}

// What a page is taken apart into on its way to a sheet. Kept from page to
// page: made anew for each, these lists took new memory every page, as the
// sheets' cells kept filling the room the last page's lists had freed.
struct TRLXLSFilter::TScratch {
    TRLXLSPage Page;
    std::vector<const TRLXLSPageText*> Texts;
    std::vector<Edge> Cols, Rows;
};

void TRLXLSFilter::DrawPage(TRLGraphicSurface& page) {
    XLS::PageTexts(page, Scratch().Page);
    DrawPage(Scratch().Page);
}

TRLXLSFilter::TScratch& TRLXLSFilter::Scratch() {
    if (!scratch_) {
        scratch_ = std::make_unique<TScratch>();
    }
    return *scratch_;
}

void TRLXLSFilter::DrawPage(const TRLXLSPage& page) {
    TRLXLSWorksheet* sheet = workbook_.NewSheet(Messages().Page);
    std::vector<const TRLXLSPageText*>& texts = Scratch().Texts;
    std::vector<Edge>& cols = Scratch().Cols;
    std::vector<Edge>& rows = Scratch().Rows;
    texts.clear();
    cols.clear();
    rows.clear();
    texts.reserve(page.Texts.size());
    cols.reserve(page.Texts.size());
    rows.reserve(page.Texts.size());
    for (const TRLXLSPageText& t : page.Texts) {
        if (t.Text.isEmpty()) {
            continue;
        }
        texts.push_back(&t);
        const int x1 = XLS::ColumnUnits(t.Left);
        cols.push_back({x1, XLS::ColumnUnits(t.Right) - x1});
        rows.push_back({t.Top, t.Bottom - t.Top});
    }
    SortEdges(cols);
    SortEdges(rows);
    SizeFromNeighbours(cols);
    SizeFromNeighbours(rows);
    DropThin(cols, ThinColumn);
    DropThin(rows, ThinRow);
    if (cols.size() > MostColumns) {
        cols.resize(MostColumns);
    }
    if (rows.size() > MostRows) {
        rows.resize(MostRows);
    }
    for (std::size_t k = 0; k < cols.size(); ++k) {
        sheet->FindCol(static_cast<int>(k), true)->Width = cols[k].Size;
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        sheet->FindRow(static_cast<int>(k), true)->Height = rows[k].Size;
    }
    const bool numbersLast = Options.testFlag(foRightAlignedNumbersInLastColumn);
    for (const TRLXLSPageText* t : texts) {
        auto [left, right] = CellSpan(cols, XLS::ColumnUnits(t->Left), XLS::ColumnUnits(t->Right),
                                      ThinColumn, MostColumns);
        const auto [top, bottom] = CellSpan(rows, t->Top, t->Bottom, ThinRow, MostRows);
        XLS::TCellValue cell = XLS::CellValue(t->Text, Options, decimal_);
        if (numbersLast && cell.Kind == vkNumber &&
            t->Alignment == static_cast<std::uint8_t>(TRLMetaTextAlignment::mtaRight)) {
            left = right;
        }
        TRLXLSRange* range = sheet->FindRange(left, top, right, bottom);
        range->Value = std::move(cell.Value);
        range->ValueKind = cell.Kind;
        range->Font = t->Font;
        range->HorizontalAlignment = HorizontalAlignment(t->Alignment);
        range->VerticalAlignment = VerticalAlignment(t->Layout);
    }
}

void TRLXLSFilter::EndDoc() {
    // After a failed run nothing is written: a file of that name stays.
    if (!RunFailed()) {
        XLS::SaveWorkbook(workbook_, decimal_, FileName);
    }
}
