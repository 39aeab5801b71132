// What each printable control puts on a page: where its text comes from,
// how it is measured and broken into lines, and the exact drawing objects
// of labels, memos, images and site decorations.
#include "RLReportRun.h"
#include "TextMetrics.h"

#include "DataSet.h"
#include "EngineMessages.h"
#include "FormatDate.h"
#include "RegionalSettings.h"

#include <QImage>

#include <algorithm>
#include <climits>

namespace {

// Width + 1 for each drawn side, the room borders take when sizing to content.
int BorderExtraHeight(const TRLBorders& b) {
    return (b.CanDrawTop() ? b.Width() + 1 : 0) + (b.CanDrawBottom() ? b.Width() + 1 : 0);
}

bool Generating(const TRLCustomReport* report) {
    return report && (report->ReportState() == rsPreparing || report->ReportState() == rsClosing);
}

// Data is usable while the dataset is open and stands on a record.
bool Usable(const TDataSet* dataSet) {
    return dataSet && dataSet->Active() && !dataSet->Eof();
}

// A value put into a text: replaces its first "#", else appended.
void PutValue(QString& text, const QString& value) {
    const qsizetype at = text.indexOf(QLatin1Char('#'));
    if (at >= 0) {
        text.replace(at, 1, value);
    } else {
        text += value;
    }
}

QString DBTextValue(const TRLCustomDBText* c) {
    QString value;
    if (Usable(c->DataSource()) && !c->DataField().isEmpty()) {
        value = c->RequireField(c->DataSource(), c->DataField())->DisplayText();
    }
    // Formulas are not evaluated: their value is empty.
    if (c->Text().isEmpty()) {
        return value;
    }
    QString text = c->Text();
    PutValue(text, value);
    return text;
}

// The two words of junction and mend controls, unless Text replaces them
// after a "|" ("Segue;Fim").
QString InfoWord(const QString& replacements, int index, const QString& word) {
    if (replacements.isNull()) {
        return word;
    }
    const QStringList parts = replacements.split(QLatin1Char(';'));
    return index < parts.size() ? parts.at(index) : word;
}

QString SystemInfoValue(const TRLCustomSystemInfo* c, const TRLPrintContext& context,
                        const QString& replacements) {
    const TRLCustomReport* report = context.Report;
    const double now = report ? report->GenerationTime() : 0;
    switch (c->Info()) {
    case itPageNumber:
        return QString::number(report ? report->PageNumber() : 0);
    case itFullDate:
        return FormatDateText(QStringLiteral("dddddd"), now);
    case itDate:
        return FormatDateText(QStringLiteral("ddddd"), now);
    case itHour:
        return FormatDateText(QStringLiteral("tt"), now);
    case itNow:
        return FormatDateText(QStringLiteral("c"), now);
    case itLastPageNumber:
        return QStringLiteral("{LastPageNumber}");
    case itPagePreview:
        return QString::number(report ? report->PageNumber() : 0) +
               QStringLiteral("\t{LastPageNumber}");
    case itTitle:
        return report ? report->Title() : QString();
    case itRecNo:
    case itCopyNo:
        if (!report) {
            return QString();
        }
        return QString::number(c->Info() == itRecNo ? report->RecNo() : report->CopyNo());
    case itCarbonCopy:
        return QString::number(context.Band ? context.Band->Run().CarbonCopy + 1 : 1);
    case itJunction:
        if (report && report->ReportState() == rsClosing) {
            return InfoWord(replacements, 1, Messages().End);
        }
        return InfoWord(replacements, 0, Messages().Junction);
    case itMend:
        if (context.Pager && context.Pager->Run().Continues) {
            return InfoWord(replacements, 0, Messages().Mend);
        }
        return QString();
    case itDetailCount:
        break;
    }
    return QString();
}

QString SystemInfoText(const TRLCustomSystemInfo* c, const TRLPrintContext& context) {
    QString text = c->Text();
    QString replacements;
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        replacements = text.mid(bar + 1);
        if (replacements.isNull()) {
            replacements = QLatin1String("");
        }
        text.truncate(bar);
    }
    const QString value = SystemInfoValue(c, context, replacements);
    if (value.contains(QLatin1String("^CLEAR"))) {
        return QString();
    }
    for (const QString& piece : value.split(QLatin1Char('\t'))) {
        PutValue(text, piece);
    }
    return text;
}

QString MemoText(const TRLCustomMemo* c) {
    QString text;
    for (const QString& line : c->Lines()) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QString DBMemoText(const TRLCustomDBMemo* c) {
    if (Usable(c->DataSource()) && !c->DataField().isEmpty()) {
        return c->RequireField(c->DataSource(), c->DataField())->AsString();
    }
    return QString();
}

QString InfoName(TRLInfoType info) {
    static const char* const names[] = {
        "CarbonCopy", "Date", "DetailCount", "FullDate",    "Hour",  "Junction", "LastPageNumber",
        "Mend",       "Now",  "PageNumber",  "PagePreview", "Title", "RecNo",    "CopyNo",
    };
    return QString::fromLatin1(names[info]);
}

QString Parenthesised(const QString& what, const TRLCustomControl* c) {
    return what.isEmpty() ? c->Name() : QLatin1Char('(') + what + QLatin1Char(')');
}

// Blank texts: a pager filling its page with empty bands, or a record the
// skipper keeps for bands printed empty.
bool Blank(const TRLPrintContext& context) {
    if (context.Pager && context.Pager->Run().Completing) {
        return true;
    }
    return context.Report && context.Report->RecordAction() == raBlankAndRetain;
}

// The control's rectangle in its site's coordinates, and that reduced by
// the drawn border widths.
TRect PrintRect(const TRLCustomControl* c) {
    return c->BoundsRect();
}

TRect ClientOf(const TRLCustomControl* c, const TRect& r) {
    const TRLBorders& b = *c->Borders();
    return {r.Left + b.LeftInset(), r.Top + b.TopInset(), r.Right - b.RightInset(),
            r.Bottom - b.BottomInset()};
}

void DrawBorders(const TRLBorders& b, TRLGraphicSurface& s, const TRect& r) {
    const int w = b.Width();
    if (w <= 0) {
        return;
    }
    s.Pen() = TRLMetaPen{};
    s.Pen().Color = b.Color();
    s.Pen().Width = 1;
    s.Brush() = TRLMetaBrush{b.Color(), TRLMetaBrushStyle::mbsSolid};
    if (b.CanDrawLeft()) {
        s.Rectangle({r.Left, r.Top, r.Left + w, r.Bottom});
    }
    if (b.CanDrawTop()) {
        s.Rectangle({r.Left, r.Top, r.Right, r.Top + w});
    }
    if (b.CanDrawRight()) {
        s.Rectangle({r.Right - w, r.Top, r.Right, r.Bottom});
    }
    if (b.CanDrawBottom()) {
        s.Rectangle({r.Left, r.Bottom - w, r.Right, r.Bottom});
    }
}

void DrawControlFrame(const TRLCustomControl* c, TRLGraphicSurface& s, const TRect& r) {
    if (!c->Transparent()) {
        s.Brush() = TRLMetaBrush{c->Color(), TRLMetaBrushStyle::mbsSolid};
        s.FillRect(r);
    }
    DrawBorders(*c->Borders(), s, r);
}

TRLMetaTextAlignment AlignmentCode(TRLTextAlignment a) {
    switch (a) {
    case taRightJustify:
        return TRLMetaTextAlignment::mtaRight;
    case taCenter:
        return TRLMetaTextAlignment::mtaCenter;
    case taJustify:
        return TRLMetaTextAlignment::mtaJustify;
    case taLeftJustify:
        break;
    }
    return TRLMetaTextAlignment::mtaLeft;
}

TRLMetaTextLayout LayoutCode(TRLTextLayout l) {
    switch (l) {
    case tlBottom:
        return TRLMetaTextLayout::mtlBottom;
    case tlCenter:
        return TRLMetaTextLayout::mtlCenter;
    case tlTop:
    case tlJustify:
        break;
    }
    return TRLMetaTextLayout::mtlTop;
}

void DrawLabel(const TRLCustomLabel* c, TRLGraphicSurface& s) {
    const TRect print = PrintRect(c);
    DrawControlFrame(c, s, print);
    const TRect r = ClientOf(c, print);
    const TRLFont font = c->Font();
    const QString& text = c->Caption();
    const int w = TextMetrics::TextWidthWithSpace(font, text);
    const int h = TextMetrics::TextHeight(font);
    int x = r.Left;
    if (c->Alignment() == taRightJustify) {
        x = r.Right - w;
    } else if (c->Alignment() == taCenter) {
        x = (r.Left + r.Right - w) / 2;
    }
    int y = r.Top;
    if (c->Layout() == tlCenter) {
        y = (r.Top + r.Bottom - h) / 2;
    } else if (c->Layout() == tlBottom) {
        y = r.Bottom - h;
    }
    s.SetFont(font);
    s.Brush() = TRLMetaBrush{c->Color(), TRLMetaBrushStyle::mbsClear};
    s.TextRect(r, {TextMetrics::HalfSpace(font) + x, y}, text, AlignmentCode(c->Alignment()),
               LayoutCode(c->Layout()), c->AutoSize() ? 5 : 4);
}

int MemoWrapWidth(const TRLCustomMultiLine* c, int width) {
    return c->WordWrap() ? width : INT_MAX;
}

void DrawMemo(const TRLCustomMultiLine* c, TRLGraphicSurface& s) {
    const TRect print = PrintRect(c);
    DrawControlFrame(c, s, print);
    const TRect r = ClientOf(c, print);
    const TRLFont font = c->Font();
    const int maxWidth = MemoWrapWidth(c, r.Width());
    const int lineHeight = TextMetrics::TextHeight(font);
    s.SetFont(font);
    s.Brush() = TRLMetaBrush{c->Color(), c->Transparent() ? TRLMetaBrushStyle::mbsClear
                                                          : TRLMetaBrushStyle::mbsSolid};
    int top = r.Top;
    for (const TRLTextLine& line : RLBreakLines(font, c->Caption(), maxWidth)) {
        if (top - r.Top >= r.Height()) {
            break;
        }
        const int lineWidth = TextMetrics::TextWidth(font, line.Text);
        // Without wrapping the box reaches as far as the text does.
        const int right =
            c->WordWrap() ? r.Left + maxWidth : r.Left + std::max(r.Width(), lineWidth);
        const TRect box{r.Left, top, right, top + lineHeight};
        TRLMetaTextAlignment code = AlignmentCode(c->Alignment());
        int x = box.Left;
        if (c->Alignment() == taRightJustify) {
            x = box.Right - lineWidth;
        } else if (c->Alignment() == taCenter) {
            x = (box.Left + box.Right - lineWidth) / 2;
        } else if (c->Alignment() == taJustify && !line.Wrapped) {
            code = TRLMetaTextAlignment::mtaLeft; // the last line of a paragraph stays ragged
        }
        s.TextRect(box, {x, top}, line.Text, code, TRLMetaTextLayout::mtlTop, 5);
        top += lineHeight;
    }
}

void DrawImage(const TRLCustomImage* c, TRLGraphicSurface& s) {
    const TRect print = PrintRect(c);
    DrawControlFrame(c, s, print);
    const QImage& picture = c->Picture();
    if (picture.isNull()) {
        return;
    }
    const TRect r = ClientOf(c, print);
    const int pw = picture.width();
    const int ph = picture.height();
    if (c->Stretch()) {
        s.StretchDraw(r, picture);
        return;
    }
    if (c->Scaled()) {
        const double scale = std::min(double(r.Width()) / pw, double(r.Height()) / ph);
        const int w = RoundHalfEven(pw * scale);
        const int h = RoundHalfEven(ph * scale);
        const int x = c->Center() ? r.Left + (r.Width() - w) / 2 : r.Left;
        const int y = c->Center() ? r.Top + (r.Height() - h) / 2 : r.Top;
        s.StretchDraw(TRect::FromSize(x, y, w, h), picture);
        return;
    }
    const int x = c->Center() ? r.Left + (r.Width() - pw) / 2 : r.Left;
    const int y = c->Center() ? r.Top + (r.Height() - ph) / 2 : r.Top;
    const TRect visible{std::max(x, r.Left), std::max(y, r.Top), std::min(x + pw, r.Right),
                        std::min(y + ph, r.Bottom)};
    if (visible.IsEmpty()) {
        return;
    }
    const QImage part =
        picture.copy(visible.Left - x, visible.Top - y, visible.Width(), visible.Height())
            .convertToFormat(QImage::Format_ARGB32);
    s.StretchDraw(visible, part);
}

void DrawGradient(const TRLCustomSite* site, TRLGraphicSurface& s, const TRect& r) {
    const TRLDegradeEffect& d = site->Degrade();
    const TRLColor c0 = site->Color();
    const TRLColor c1 = d.OppositeColor;
    const bool vertical = d.Direction == ddVertical;
    const int length = vertical ? r.Height() : r.Width();
    const int g = std::max(d.Granularity, 1);
    const int n = (length + g - 1) / g;
    auto channel = [](int a, int b, double t) {
        return static_cast<std::uint8_t>(
            std::clamp(a + RoundHalfEven(b * t) - RoundHalfEven(a * t), 0, 255));
    };
    for (int e = 0; e < n; ++e) {
        const double t = double(e) / n;
        s.Brush() = TRLMetaBrush{{channel(c0.Red, c1.Red, t), channel(c0.Green, c1.Green, t),
                                  channel(c0.Blue, c1.Blue, t)},
                                 TRLMetaBrushStyle::mbsSolid};
        if (vertical) {
            s.FillRect({r.Left, r.Top + g * e, r.Right, std::min(r.Top + g * e + g, r.Bottom)});
        } else {
            s.FillRect({r.Left + g * e, r.Top, std::min(r.Left + g * e + g, r.Right), r.Bottom});
        }
    }
}

bool HasGradient(const TRLCustomSite* site) {
    return site->Degrade().Direction != ddNone && !(site->Degrade().OppositeColor == site->Color());
}

bool HasBorders(const TRLBorders& b) {
    return b.Width() > 0 &&
           (b.CanDrawLeft() || b.CanDrawTop() || b.CanDrawRight() || b.CanDrawBottom());
}

} // namespace

std::vector<TRLTextLine> RLBreakLines(const TRLFont& font, const QString& text, int maxWidth) {
    enum class End { Text, Return, Wrap };
    std::vector<TRLTextLine> lines;
    const qsizetype n = text.size();
    const long long space = TextMetrics::TextWidth(font, QStringLiteral(" "));
    auto isGap = [](QChar ch) { return ch == QLatin1Char(' ') || ch == QLatin1Char('\t'); };
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype start = pos;
        qsizetype wordEnd = start; // end of the last word kept on the line
        qsizetype lineEnd = n;
        bool hasWord = false;
        long long width = 0;
        End end = End::Text;
        while (pos < n) {
            const QChar ch = text.at(pos);
            if (ch == QLatin1Char('\r')) {
                end = End::Return;
                lineEnd = pos++;
                if (pos < n && text.at(pos) == QLatin1Char('\n')) {
                    ++pos;
                }
                break;
            }
            if (isGap(ch)) {
                width += ch == QLatin1Char(' ') ? space : 8 * space;
                if (width > maxWidth && hasWord) {
                    end = End::Wrap;
                    break;
                }
                ++pos;
                continue;
            }
            const qsizetype wordStart = pos;
            while (pos < n && !isGap(text.at(pos)) && text.at(pos) != QLatin1Char('\r')) {
                ++pos;
            }
            width += TextMetrics::TextWidth(font, text.mid(wordStart, pos - wordStart));
            if (width > maxWidth && hasWord) {
                pos = wordStart;
                end = End::Wrap;
                break;
            }
            hasWord = true;
            wordEnd = pos;
        }
        TRLTextLine line;
        if (end == End::Wrap) {
            // The line ends after its last whole word; the gap is dropped.
            lineEnd = wordEnd;
            line.Wrapped = true;
            while (pos < n && isGap(text.at(pos))) {
                ++pos;
            }
        }
        line.Text = text.mid(start, lineEnd - start);
        lines.push_back(std::move(line));
    }
    return lines;
}

QString RLDesignText(const TRLCustomControl* c) {
    if (!c->FriendlyName().isEmpty()) {
        return c->FriendlyName();
    }
    if (auto* info = dynamic_cast<const TRLCustomSystemInfo*>(c)) {
        return Parenthesised(InfoName(info->Info()), c);
    }
    if (auto* db = dynamic_cast<const TRLCustomDBText*>(c)) {
        return Parenthesised(db->DataField().isEmpty() ? db->DataFormula() : db->DataField(), c);
    }
    if (auto* label = dynamic_cast<const TRLCustomLabel*>(c)) {
        return label->Caption().isEmpty() ? c->Name() : label->Caption();
    }
    if (auto* memo = dynamic_cast<const TRLCustomMemo*>(c)) {
        return memo->Lines().isEmpty() ? c->Name() : MemoText(memo);
    }
    if (auto* dbMemo = dynamic_cast<const TRLCustomDBMemo*>(c)) {
        return Parenthesised(
            dbMemo->DataField().isEmpty() ? dbMemo->DataFormula() : dbMemo->DataField(), c);
    }
    return c->Name();
}

TRLControlKind RLControlKindOf(const TRLCustomControl* c) {
    if (dynamic_cast<const TRLCustomSystemInfo*>(c)) {
        return TRLControlKind::SystemInfo;
    }
    if (dynamic_cast<const TRLCustomDBText*>(c)) {
        return TRLControlKind::DBText;
    }
    if (dynamic_cast<const TRLCustomLabel*>(c)) {
        return TRLControlKind::Label;
    }
    if (dynamic_cast<const TRLCustomMemo*>(c)) {
        return TRLControlKind::Memo;
    }
    if (dynamic_cast<const TRLCustomDBMemo*>(c)) {
        return TRLControlKind::DBMemo;
    }
    if (dynamic_cast<const TRLCustomImage*>(c)) {
        return TRLControlKind::Image;
    }
    return TRLControlKind::Other;
}

TRLPrintContext RLPrintContextOf(const TRLCustomControl* c) {
    return {c->FindParentReport(), c->FindParentBand(), c->FindParentPager()};
}

QString RLControlText(const TRLCustomControl* c) {
    return RLControlText(c, RLControlKindOf(c), RLPrintContextOf(c));
}

QString RLControlText(const TRLCustomControl* c, TRLControlKind kind,
                      const TRLPrintContext& context) {
    if (!Generating(context.Report)) {
        return RLDesignText(c);
    }
    if (Blank(context)) {
        return QString();
    }
    switch (kind) {
    case TRLControlKind::SystemInfo:
        return SystemInfoText(static_cast<const TRLCustomSystemInfo*>(c), context);
    case TRLControlKind::DBText:
        return DBTextValue(static_cast<const TRLCustomDBText*>(c));
    case TRLControlKind::Label:
        return static_cast<const TRLCustomLabel*>(c)->Caption();
    case TRLControlKind::Memo:
        return MemoText(static_cast<const TRLCustomMemo*>(c));
    case TRLControlKind::DBMemo:
        return DBMemoText(static_cast<const TRLCustomDBMemo*>(c));
    case TRLControlKind::Image:
    case TRLControlKind::Other:
        break;
    }
    return QString();
}

void RLPrintControl(TRLCustomControl* c, TRLGraphicSurface& s) {
    RLPrintControl(c, RLControlKindOf(c), RLPrintContextOf(c), s);
}

namespace {

void PrintImage(TRLCustomImage* image, TRLGraphicSurface& s) {
    bool printIt = true;
    if (image->BeforePrint) {
        image->BeforePrint(image, printIt);
    }
    if (!printIt) {
        return;
    }
    image->AdjustBounds();
    s.SetGroupId(NewDrawGroupId());
    DrawImage(image, s);
    if (image->AfterPrint) {
        image->AfterPrint(image);
    }
}

void PrintText(TRLCustomControl* c, TRLControlKind kind, const TRLPrintContext& context,
               TRLGraphicSurface& s) {
    const bool multiLine = kind == TRLControlKind::Memo || kind == TRLControlKind::DBMemo;
    auto* label = multiLine ? nullptr : static_cast<TRLCustomLabel*>(c);
    auto* memo = multiLine ? static_cast<TRLCustomMultiLine*>(c) : nullptr;
    QString text = RLControlText(c, kind, context);
    bool printIt = true;
    const TRLBeforeTextEvent& before = label ? label->BeforePrint : memo->BeforePrint;
    if (before) {
        before(c, text, printIt);
    }
    if (context.Report && context.Report->OnFilterText) {
        context.Report->OnFilterText(c, text, printIt);
    }
    if (!printIt) {
        return;
    }
    // A label's caption is its own text: an empty text printed for a blank
    // record must not wipe it for the records that follow.
    const bool keepCaption = kind == TRLControlKind::Label && Blank(context);
    const QString caption = keepCaption ? label->Caption() : QString();
    if (label) {
        label->SetCaption(text);
    } else {
        memo->SetCaption(text);
    }
    c->AdjustBounds();
    s.SetGroupId(NewDrawGroupId());
    if (label) {
        DrawLabel(label, s);
    } else {
        DrawMemo(memo, s);
    }
    if (keepCaption) {
        label->SetCaption(caption);
    }
    if (c->AfterPrint) {
        c->AfterPrint(c);
    }
}

} // namespace

void RLPrintControl(TRLCustomControl* c, TRLControlKind kind, const TRLPrintContext& context,
                    TRLGraphicSurface& s) {
    if (kind == TRLControlKind::Other || !c->Visible()) {
        return;
    }
    if (kind == TRLControlKind::Image) {
        PrintImage(static_cast<TRLCustomImage*>(c), s);
    } else {
        PrintText(c, kind, context, s);
    }
}

bool RLHasDecorations(const TRLCustomSite* site) {
    return HasGradient(site) || !site->Transparent() ||
           !const_cast<TRLCustomSite*>(site)->Background().Picture.isNull() ||
           HasBorders(*site->Borders());
}

void RLDrawSiteDecorations(const TRLCustomSite* site, TRLGraphicSurface& s, const TRect& r) {
    s.SetGroupId(NewDrawGroupId());
    if (HasGradient(site)) {
        DrawGradient(site, s, r);
    } else if (!site->Transparent()) {
        s.Brush() = TRLMetaBrush{site->Color(), TRLMetaBrushStyle::mbsSolid};
        s.FillRect(r);
    }
    const QImage& picture = const_cast<TRLCustomSite*>(site)->Background().Picture;
    if (!picture.isNull()) {
        const TRect visible{r.Left, r.Top, std::min(r.Left + picture.width(), r.Right),
                            std::min(r.Top + picture.height(), r.Bottom)};
        if (!visible.IsEmpty()) {
            s.StretchDraw(visible, picture.copy(0, 0, visible.Width(), visible.Height()));
        }
    }
    const TRLMargins& m = site->Margins();
    const TRect inner{r.Left + m.LeftPixels(), r.Top + m.TopPixels(), r.Right - m.RightPixels(),
                      r.Bottom - m.BottomPixels()};
    DrawBorders(*site->Borders(), s, inner);
}

void TRLCustomMultiLine::CalcSize(int& width, int& height) const {
    if (!AutoSize()) {
        return;
    }
    const TRLFont font = Font();
    const auto lines = RLBreakLines(font, Caption(), WordWrap() ? Width() : INT_MAX);
    // One line of "A" per line; an empty memo keeps the height of a space.
    const int lineHeight = TextMetrics::TextHeight(font);
    height = (lines.empty() ? lineHeight : int(lines.size()) * lineHeight) +
             BorderExtraHeight(*Borders());
    (void)width;
}
