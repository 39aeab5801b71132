#pragma once
// Private to the engine (and its tests): the bookkeeping of a page
// generation, and the printable controls' texts, sizes and drawing that the
// generation calls.
#include "RLReport.h"

#include <array>
#include <memory>
#include <vector>

class TField;

// What a printable control is, found once instead of at every print.
enum class TRLControlKind { Other, Label, DBText, SystemInfo, Memo, DBMemo, Image };

// The components a control's text depends on.
struct TRLPrintContext {
    TRLCustomReport* Report = nullptr;
    TRLCustomBand* Band = nullptr; // none for a control placed on a pager
    TRLCustomPager* Pager = nullptr;
};

// What one site (band, group, report) keeps while pages are generated.
// Every site draws into its own surface in its own coordinates; PrintBounds
// says where that surface goes in the parent's surface.
struct TRLSiteRun {
    std::unique_ptr<TRLGraphicSurface> Surface; // OwnSurface, reused between prints
    TRect PrintBounds;
    bool Opened = false;

    // Tree facts, found once per Prepare.
    TRLCustomSite* ParentSite = nullptr;
    TRLCustomPager* ParentPager = nullptr;
    TRLCustomPager* AsPager = nullptr; // this site, when it is a pager
    TRLCustomGroup* AsGroup = nullptr; // this site, when it is a group
    bool IsReport = false;
    // Children that are not bands or pagers, and what they print with.
    std::vector<std::pair<TRLCustomControl*, TRLControlKind>> PlainControls;
    TRLPrintContext Context;
    // The site and everything in it, for saving bounds around a print.
    std::vector<TRLCustomControl*> Descendants;

    // Pagers.
    int CursorY = 0;
    bool HasData = false;
    TRLBandTypes PrintedTypes = 0;
    int BandCount = 0;
    int DetailsPrinted = 0;
    std::array<std::vector<TRLCustomBand*>, btFooter + 1> SortedBands;
    std::vector<TRLCustomGroup*> Groups; // child groups in child order
    const TRLCustomControl* BreakingBand = nullptr;
    bool Completing = false;
    bool OpenedInInstance = false;
    bool Continues = false; // this page part continues one of an earlier page
    TRect SavedBounds;

    // Groups.
    QString LastKey;
    bool BreakFlag = false;
    std::vector<TField*> KeyFields;
    bool KeyFieldsFound = false;

    // Bands.
    int CarbonCopy = 0;     // 0-based copy being printed
    bool BrokeOnce = false; // a page was broken for this print already
    // From its BeforePrint's yes to its placement: a page break that the
    // opening of its own surface causes must not print it a second time.
    bool Drawing = false;
};

// One line of a multi-line text, and whether wrapping (not a carriage
// return or the end of the text) ended it.
struct TRLTextLine {
    QString Text;
    bool Wrapped = false;
};

// Cuts text into lines no wider than maxWidth (spaces count one space,
// tabs eight; the first word of a line is always kept; CR ends a line and a
// LF right after it is skipped; a lone LF is an ordinary character).
std::vector<TRLTextLine> RLBreakLines(const TRLFont& font, const QString& text, int maxWidth);

TRLControlKind RLControlKindOf(const TRLCustomControl* control);
TRLPrintContext RLPrintContextOf(const TRLCustomControl* control);

// The text a control prints now: its data while its report generates, its
// design text otherwise. Empty while its pager completes or the record is
// kept blank.
QString RLControlText(const TRLCustomControl* control);
QString RLControlText(const TRLCustomControl* control, TRLControlKind kind,
                      const TRLPrintContext& context);
// What a control shows outside generation (never printed).
QString RLDesignText(const TRLCustomControl* control);

// Asks a plain control whether it prints, takes its text, adjusts its size
// and draws it into its site's surface.
void RLPrintControl(TRLCustomControl* control, TRLGraphicSurface& surface);
void RLPrintControl(TRLCustomControl* control, TRLControlKind kind, const TRLPrintContext& context,
                    TRLGraphicSurface& surface);

// Whether a site draws anything around its content.
bool RLHasDecorations(const TRLCustomSite* site);
// Fill or gradient, background picture and borders of a site at r.
void RLDrawSiteDecorations(const TRLCustomSite* site, TRLGraphicSurface& surface, const TRect& r);
