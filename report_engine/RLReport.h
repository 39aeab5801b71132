#pragma once
// The report component model: a tree of report components (the report at
// the root, bands and groups inside it, printable controls inside bands),
// their properties with defaults, the events the report forms assign, size
// adjustment, alignment inside sites, and bounds bookkeeping around prints.
// Positions and sizes are whole pixels at 96 per inch; a control's Left and
// Top are relative to its parent's top-left corner.
#include "RLGraphics.h"
#include "RLMetaFile.h"
#include "RLPaperSizes.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TDataSet;
class TField;
class TRLCustomControl;
class TRLCustomReport;
class TRLCustomSite;
class TRLCustomBand;
class TRLCustomPager;
class TRLCustomSkipper;
class TRLCustomFilter;     // defined by the export layer
class TRLExpressionParser; // not used by the program's reports
class TRLProgress;
class TRLReportGenerator;
struct TRLSiteRun;

// The value behind a property. Only the control classes reach it, through
// TRLCustomControl::PropertyValue, so to every other reader a property is its
// getter and setter.
template <class T> class TRLPropertyValue {
public:
    explicit TRLPropertyValue(T value) : value_(std::move(value)) {}
    TRLPropertyValue(const TRLPropertyValue&) = delete;
    TRLPropertyValue& operator=(const TRLPropertyValue&) = delete;

private:
    friend class TRLCustomControl;
    T value_;
};

// A read/write property with a plain getter and setter. It names no access
// level: declared among public members, the getter and setter are public and
// the members after it keep the access they had.
#define RL_PROPERTY(Type, Name, Default)                                                           \
    Type Name() const {                                                                            \
        return PropertyValue(m_##Name);                                                            \
    }                                                                                              \
    void Set##Name(Type value) {                                                                   \
        PropertyValue(m_##Name) = value;                                                           \
    }                                                                                              \
    TRLPropertyValue<Type> m_##Name{Default};

enum TRLControlAlign {
    faNone,
    faTop,
    faBottom,
    faLeft,
    faRight,
    faLeftMost,
    faRightMost,
    faClient,
    faLeftTop,
    faRightTop,
    faLeftBottom,
    faRightBottom,
    faCenter,
    faCenterLeft,
    faCenterTop,
    faCenterRight,
    faCenterBottom,
    faClientLeft,
    faClientTop,
    faClientRight,
    faClientBottom,
    faHeight,
    faWidth,
    faLeftOnly,
    faRightOnly,
    faTopOnly,
    faBottomOnly,
};
enum TRLTextAlignment { taLeftJustify, taRightJustify, taCenter, taJustify };
enum TRLTextLayout { tlTop, tlCenter, tlBottom, tlJustify };
enum TRLControlBehavior { beSiteExpander = 1 };
enum TRLBorderSides { sdCustom, sdNone, sdAll };
enum TRLBandType {
    btHeader,
    btTitle,
    btColumnHeader,
    btDetail,
    btColumnFooter,
    btSummary,
    btFooter
};
enum TRLPageBreaking { pbNone, pbBeforePrint, pbAfterPrint };
enum TRLCompletionType { ctNone, ctFullPage, ctMaxBands, ctMinBands };
enum TRLBandOption { boOptimisticPageBreak = 1 };
enum TRLFooterMeasuring { fmNone, fmAfterHeader, fmBeforeDetail };
enum TRLRecordRange { rrAllRecords, rrCurrentOnly, rrUntilEof, rrNextN };
enum TRLRecordAction { raUseIt, raIgnoreIt, raUseAndRetain, raBlankAndRetain };
enum TRLPrintQuality { pqFullFeature, pqFixedOnly };
enum TRLDegradeDirection { ddNone, ddHorizontal, ddVertical };
enum TRLBackArrange { baAligned, baSidebySide, baCenter, baDistributed };
enum TRLPageOrientation { poPortrait, poLandscape };
enum TRLInfoType {
    itCarbonCopy,
    itDate,
    itDetailCount,
    itFullDate,
    itHour,
    itJunction,
    itLastPageNumber,
    itMend,
    itNow,
    itPageNumber,
    itPagePreview,
    itTitle,
    itRecNo,
    itCopyNo,
};
enum TRLPreviewDefaults { pdUseDefaults, pdIgnoreDefaults };
enum TRLReportState { rsIdle, rsPreparing, rsClosing, rsReady };
enum TRLFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TRLWindowPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};
enum TRLWindowState { wsNormal, wsMinimized, wsMaximized };
enum TRLBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };

// A set of band types, one bit per TRLBandType.
using TRLBandTypes = unsigned;
constexpr TRLBandTypes BandTypeBit(TRLBandType t) {
    return 1u << t;
}

// Events. Parameters passed by reference are in-out, as the handlers expect.
using TRLNotifyEvent = std::function<void(TRLCustomControl* Sender)>;
using TRLAfterPrintEvent = TRLNotifyEvent;
using TRLBeforePrintEvent = std::function<void(TRLCustomControl* Sender, bool& PrintIt)>;
using TRLBeforeTextEvent =
    std::function<void(TRLCustomControl* Sender, QString& Text, bool& PrintIt)>;
using TRLOnGetBreakEvent = std::function<void(TRLCustomControl* Sender, bool& BreakIt)>;
using TRLOnDataCountEvent = std::function<void(TRLCustomControl* Sender, int& DataCount)>;
using TRLOnDataRecordEvent = std::function<void(TRLCustomControl* Sender, int RecNo, int CopyNo,
                                                bool& Eof, TRLRecordAction& RecordAction)>;
using TRLOnNeedDataEvent = std::function<void(TRLCustomControl* Sender, bool& MoreData)>;

// Frame drawn around a control.
class TRLBorders {
public:
    explicit TRLBorders(TRLCustomControl* owner) : owner_(owner) {}

    TRLBorderSides Sides() const { return sides_; }
    void SetSides(TRLBorderSides sides);
    bool DrawLeft() const { return draw_[0]; }
    bool DrawTop() const { return draw_[1]; }
    bool DrawRight() const { return draw_[2]; }
    bool DrawBottom() const { return draw_[3]; }
    void SetDrawLeft(bool value) { SetDraw(0, value); }
    void SetDrawTop(bool value) { SetDraw(1, value); }
    void SetDrawRight(bool value) { SetDraw(2, value); }
    void SetDrawBottom(bool value) { SetDraw(3, value); }
    bool FixedLeft() const { return fixed_[0]; }
    bool FixedTop() const { return fixed_[1]; }
    bool FixedRight() const { return fixed_[2]; }
    bool FixedBottom() const { return fixed_[3]; }
    void SetFixedLeft(bool value) { SetFixed(0, value); }
    void SetFixedTop(bool value) { SetFixed(1, value); }
    void SetFixedRight(bool value) { SetFixed(2, value); }
    void SetFixedBottom(bool value) { SetFixed(3, value); }
    int Width() const { return width_; }
    void SetWidth(int width); // negative values are ignored
    TRLColor Color() const { return color_; }
    void SetColor(TRLColor color) { color_ = color; }
    TRLMetaBrushStyle Style() const { return style_; }
    void SetStyle(TRLMetaBrushStyle style) { style_ = style; }

    // Whether a side is drawn: its flag set, and either fixed or the report
    // printing with full features.
    bool CanDrawLeft() const { return CanDraw(0); }
    bool CanDrawTop() const { return CanDraw(1); }
    bool CanDrawRight() const { return CanDraw(2); }
    bool CanDrawBottom() const { return CanDraw(3); }
    // Width taken by each drawn side (0 for a side not drawn).
    int LeftInset() const { return CanDraw(0) ? std::max(width_, 0) : 0; }
    int TopInset() const { return CanDraw(1) ? std::max(width_, 0) : 0; }
    int RightInset() const { return CanDraw(2) ? std::max(width_, 0) : 0; }
    int BottomInset() const { return CanDraw(3) ? std::max(width_, 0) : 0; }

private:
    void SetDraw(int side, bool value);
    void SetFixed(int side, bool value);
    bool CanDraw(int side) const;

    TRLCustomControl* owner_;
    TRLBorderSides sides_ = sdNone;
    bool draw_[4] = {false, false, false, false};
    bool fixed_[4] = {false, false, false, false};
    int width_ = 1;
    TRLColor color_ = clBlack;
    TRLMetaBrushStyle style_ = TRLMetaBrushStyle::mbsSolid;
};

// Millimetres on each side.
struct TRLMargins {
    double LeftMargin = 0;
    double TopMargin = 0;
    double RightMargin = 0;
    double BottomMargin = 0;
    void SetAll(double mm) { LeftMargin = TopMargin = RightMargin = BottomMargin = mm; }
    // Pixels taken from a rectangle's sides.
    int LeftPixels() const { return MMToPixels(LeftMargin); }
    int TopPixels() const { return MMToPixels(TopMargin); }
    int RightPixels() const { return MMToPixels(RightMargin); }
    int BottomPixels() const { return MMToPixels(BottomMargin); }
};

// A picture drawn behind a site. Nothing is drawn while Picture is empty.
struct TRLBackground {
    QImage Picture;
    TRLControlAlign Align = faClient;
    TRLBackArrange Arrange = baAligned;
    bool AutoSize = true;
    bool Stretch = false;
    int Width = 40;
    int Height = 40;
};

// A colour gradient from the site's colour to OppositeColor.
struct TRLDegradeEffect {
    TRLDegradeDirection Direction = ddNone;
    TRLColor OppositeColor = clBlack;
    int Granularity = 1;
};

class TRLPageSetup {
public:
    explicit TRLPageSetup(TRLCustomReport* owner) : owner_(owner) {}
    TRLPaperSize PaperSize() const { return paperSize_; }
    // A standard size also sets the paper width and height.
    void SetPaperSize(TRLPaperSize size);
    TRLPageOrientation Orientation() const { return orientation_; }
    void SetOrientation(TRLPageOrientation orientation);
    double PaperWidth() const { return paperWidth_; }
    double PaperHeight() const { return paperHeight_; }
    // Taken only with fpCustom and only when positive.
    void SetPaperWidth(double mm);
    void SetPaperHeight(double mm);
    bool ForceEmulation() const { return forceEmulation_; }
    void SetForceEmulation(bool value) { forceEmulation_ = value; }
    // Width and height as printed: swapped in landscape.
    double OrientedWidth() const;
    double OrientedHeight() const;

private:
    void Changed();
    TRLCustomReport* owner_;
    TRLPaperSize paperSize_ = fpA4;
    TRLPageOrientation orientation_ = poPortrait;
    double paperWidth_ = 210;
    double paperHeight_ = 297;
    bool forceEmulation_ = false;
};

// Settings of the preview window a report opens.
struct TRLPreviewOptions {
    TRLPreviewDefaults Defaults = pdUseDefaults;
    bool ShowModal = false;
    TRLFormStyle FormStyle = fsNormal;
    TRLWindowPosition Position = poScreenCenter;
    TRLWindowState WindowState = wsMaximized;
    unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
    QString HelpFile;
    int HelpContext = 0;
    QString Caption;
};

// Any report component.
class TRLCustomControl : public QObject {
public:
    explicit TRLCustomControl(QObject* parent = nullptr);
    ~TRLCustomControl() override;

    QString Name() const { return objectName(); }
    void SetName(const QString& name) { setObjectName(name); }

    TRLCustomControl* ParentControl() const;
    void SetParentControl(TRLCustomControl* parent);
    // Child controls in creation order.
    std::vector<TRLCustomControl*> Controls() const;

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    TRect BoundsRect() const { return bounds_; }
    void SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
    void SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
    void SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
    void SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }
    virtual void SetBounds(int left, int top, int width, int height);

    TRLControlAlign Align() const { return align_; }
    void SetAlign(TRLControlAlign align);
    TRLBorders* Borders() { return &borders_; }
    const TRLBorders* Borders() const { return &borders_; }

    // The colour taken from the parent while ParentColor is set.
    TRLColor Color() const;
    void SetColor(TRLColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value) { parentColor_ = value; }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    // The font taken from the parent while ParentFont is set.
    const TRLFont& Font() const;
    void SetFont(const TRLFont& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value) { parentFont_ = value; }
    QString FriendlyName() const { return friendlyName_; }
    // Raises "Nome inválido" or "Nome já utilizado" with the value quoted.
    void SetFriendlyName(const QString& name);

    RL_PROPERTY(TRLTextAlignment, Alignment, taLeftJustify)
    RL_PROPERTY(TRLTextLayout, Layout, tlTop)
    RL_PROPERTY(bool, AutoSize, false)
    RL_PROPERTY(bool, AutoExpand, true)
    RL_PROPERTY(unsigned, Behavior, 0u)
    RL_PROPERTY(bool, Visible, true)
    TRLAfterPrintEvent AfterPrint;
    TRLNotifyEvent OnMeasureHeight;

    // Loading: while a form builds its tree, colour rules that react to user
    // changes are off; EndLoad aligns every site's children.
    void BeginLoad();
    void EndLoad();
    bool Loading() const;

    // True for a report: a cheap test for the walks that run for every
    // border side of every printed band.
    virtual bool IsReport() const { return false; }

    // Enclosing components, or nullptr.
    TRLCustomReport* FindParentReport() const;
    TRLCustomSite* FindParentSite() const;
    TRLCustomBand* FindParentBand() const;
    TRLCustomPager* FindParentPager() const;
    TRLCustomSkipper* FindParentSkipper() const;
    // The same, raising "Não encontrado: <Name>.ParentReport" and so on.
    TRLCustomReport* RequireParentReport() const;
    TRLCustomPager* RequireParentPager() const;
    TRLCustomSkipper* RequireParentSkipper() const;
    TRLCustomSite* RequireParentSurface() const;
    // The field of a dataset, or "Não encontrado: <Name>.DataField "<field>"".
    TField* RequireField(TDataSet* dataSet, const QString& fieldName) const;
    // The not-found error text with this control's name and the given tail.
    QString NotFoundText(const QString& what) const;

    // The size the content asks for; the current size unless overridden.
    virtual void CalcSize(int& width, int& height) const;
    // Applies the natural size, keeping the edge that Alignment and Layout
    // fix, and grows the enclosing band for site expanders.
    void AdjustBounds();
    // The control's rectangle in its own coordinates, reduced by its drawn
    // border widths.
    TRect ClientRect() const;

protected:
    // The value behind an RL_PROPERTY of this class or a derived one.
    template <class T> static T& PropertyValue(TRLPropertyValue<T>& p) { return p.value_; }
    template <class T> static const T& PropertyValue(const TRLPropertyValue<T>& p) {
        return p.value_;
    }
    // Bounds change without realigning anything, for restoring saved bounds.
    friend class TRLBoundsSnapshot;
    void SetBoundsQuiet(const TRect& r) { bounds_ = r; }
    virtual void BoundsChanged(const TRect& old);
    int loadCount_ = 0;

private:
    mutable QObject* parentObject_ = nullptr;
    mutable TRLCustomControl* parentControl_ = nullptr;
    TRect bounds_;
    TRLControlAlign align_ = faNone;
    TRLBorders borders_{this};
    TRLColor color_ = clWhite;
    bool parentColor_ = true;
    bool transparent_ = true;
    TRLFont font_;
    bool parentFont_ = true;
    QString friendlyName_;
};

// Saves the bounds of a control and all its descendants, and puts them back
// when it goes out of scope: what a print changes in sizes never outlives it.
class TRLBoundsSnapshot {
public:
    explicit TRLBoundsSnapshot(TRLCustomControl* root);
    // The given controls only (a root and its descendants, found beforehand).
    explicit TRLBoundsSnapshot(const std::vector<TRLCustomControl*>& controls);
    ~TRLBoundsSnapshot();
    TRLBoundsSnapshot(const TRLBoundsSnapshot&) = delete;
    TRLBoundsSnapshot& operator=(const TRLBoundsSnapshot&) = delete;

private:
    std::vector<std::pair<QPointer<TRLCustomControl>, TRect>> saved_;
};

class TRLCustomLabel : public TRLCustomControl {
public:
    explicit TRLCustomLabel(QObject* parent = nullptr);
    RL_PROPERTY(QString, Caption, QString())
    TRLBeforeTextEvent BeforePrint;
    // Caption plus one space wide, one line high, plus the drawn borders.
    void CalcSize(int& width, int& height) const override;
};

class TRLCustomDBText : public TRLCustomLabel {
public:
    explicit TRLCustomDBText(QObject* parent = nullptr) : TRLCustomLabel(parent) {}
    QString DataField() const { return dataField_; }
    void SetDataField(const QString& field); // clears DataFormula
    QString DataFormula() const { return dataFormula_; }
    void SetDataFormula(const QString& formula); // clears DataField
    RL_PROPERTY(TDataSet*, DataSource, nullptr)
    RL_PROPERTY(QString, DisplayMask, QString())
    RL_PROPERTY(QString, Text, QString())

private:
    QString dataField_;
    QString dataFormula_;
};

class TRLCustomSystemInfo : public TRLCustomLabel {
public:
    explicit TRLCustomSystemInfo(QObject* parent = nullptr) : TRLCustomLabel(parent) {}
    RL_PROPERTY(TRLInfoType, Info, itDate)
    RL_PROPERTY(QString, Text, QString())
};

class TRLCustomMultiLine : public TRLCustomControl {
public:
    explicit TRLCustomMultiLine(QObject* parent = nullptr);
    RL_PROPERTY(bool, WordWrap, true)
    RL_PROPERTY(bool, IntegralHeight, false)
    // The text last printed (after the BeforePrint handler), which sizing
    // and drawing break into lines.
    RL_PROPERTY(QString, Caption, QString())
    TRLBeforeTextEvent BeforePrint;
    // With AutoSize: the width stays, the height is one line of "A" per line.
    void CalcSize(int& width, int& height) const override;
};

class TRLCustomMemo : public TRLCustomMultiLine {
public:
    explicit TRLCustomMemo(QObject* parent = nullptr) : TRLCustomMultiLine(parent) {}
    QStringList& Lines() { return lines_; }
    const QStringList& Lines() const { return lines_; }

private:
    QStringList lines_;
};

class TRLCustomDBMemo : public TRLCustomMultiLine {
public:
    explicit TRLCustomDBMemo(QObject* parent = nullptr) : TRLCustomMultiLine(parent) {}
    QString DataField() const { return dataField_; }
    void SetDataField(const QString& field);
    QString DataFormula() const { return dataFormula_; }
    void SetDataFormula(const QString& formula);
    RL_PROPERTY(TDataSet*, DataSource, nullptr)

private:
    QString dataField_;
    QString dataFormula_;
};

class TRLCustomImage : public TRLCustomControl {
public:
    explicit TRLCustomImage(QObject* parent = nullptr);
    RL_PROPERTY(QImage, Picture, QImage())
    RL_PROPERTY(bool, Center, false)
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value); // clears Scaled
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value); // clears Stretch
    TRLBeforePrintEvent BeforePrint;
    // The picture's size plus the drawn borders.
    void CalcSize(int& width, int& height) const override;

private:
    bool stretch_ = false;
    bool scaled_ = false;
};

// A container with its own page surface, background, gradient and margins.
class TRLCustomSite : public TRLCustomControl {
public:
    explicit TRLCustomSite(QObject* parent = nullptr);
    ~TRLCustomSite() override;
    TRLMargins& Margins() { return margins_; }
    const TRLMargins& Margins() const { return margins_; }
    TRLMargins& InsideMargins() { return insideMargins_; }
    const TRLMargins& InsideMargins() const { return insideMargins_; }
    TRLBackground& Background() { return background_; }
    TRLDegradeEffect& Degrade() { return degrade_; }
    const TRLDegradeEffect& Degrade() const { return degrade_; }
    TRLBeforePrintEvent BeforePrint;

    // Where children are laid out, in the site's own coordinates: the
    // bounds less Margins, drawn border widths and InsideMargins.
    TRect SiteClientRect() const;
    // Lays the children out by their Align values.
    void AlignControls();
    // Bookkeeping of the page generation (surface, cursor, printed band
    // types), created on first use and reset by each Prepare.
    TRLSiteRun& Run();

protected:
    void BoundsChanged(const TRect& old) override;
    // Children in layout order (pagers sort their bands by type).
    virtual std::vector<TRLCustomControl*> AlignOrder() const;

private:
    TRLMargins margins_;
    TRLMargins insideMargins_;
    TRLBackground background_;
    TRLDegradeEffect degrade_;
    std::unique_ptr<TRLSiteRun> run_;
};

class TRLCustomBandSet : public TRLCustomSite {
public:
    explicit TRLCustomBandSet(QObject* parent = nullptr);
};

class TRLCustomBand : public TRLCustomBandSet {
public:
    explicit TRLCustomBand(QObject* parent = nullptr);
    RL_PROPERTY(TRLBandType, BandType, btDetail)
    RL_PROPERTY(bool, Computable, true)
    RL_PROPERTY(TRLPageBreaking, PageBreaking, pbNone)
    RL_PROPERTY(TRLCompletionType, Completion, ctNone)
    RL_PROPERTY(bool, AlignToBottom, false)
    RL_PROPERTY(bool, IntegralHeight, true)
    RL_PROPERTY(unsigned, Options, 0u)
    int CarbonCopies() const { return carbonCopies_; }
    // Below 1 becomes 1; bands of the same positive GroupIndex share it.
    void SetCarbonCopies(int copies);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index); // negative becomes 0

private:
    int carbonCopies_ = 1;
    int groupIndex_ = 0;
};

// Owns bands of all types and pages them.
class TRLCustomPager : public TRLCustomBandSet {
public:
    explicit TRLCustomPager(QObject* parent = nullptr);
    RL_PROPERTY(TRLBandTypes, AllowedBands, 0u)
    RL_PROPERTY(int, MaxBands, 0)
    RL_PROPERTY(int, MinBands, 0)
    RL_PROPERTY(bool, ForceMinBands, false)
    RL_PROPERTY(TRLFooterMeasuring, FooterMeasuring, fmNone)
    RL_PROPERTY(TRLPageBreaking, PageBreaking, pbNone)
    // Direct child bands of one type, in ascending design Top (ties keep
    // creation order), the order in which generation prints them.
    std::vector<TRLCustomBand*> BandsOfType(TRLBandType type) const;

protected:
    std::vector<TRLCustomControl*> AlignOrder() const override;
};

class TRLCustomGroup : public TRLCustomPager {
public:
    explicit TRLCustomGroup(QObject* parent = nullptr);
    QString DataFields() const { return dataFields_; }
    void SetDataFields(const QString& fields); // clears DataFormula
    QString DataFormula() const { return dataFormula_; }
    void SetDataFormula(const QString& formula); // clears DataFields
    // The names of DataFields, split at ";", empty names left out.
    QStringList FieldNames() const;
    RL_PROPERTY(bool, Enabled, true)
    TRLOnGetBreakEvent OnGetBreak;

private:
    QString dataFields_;
    QString dataFormula_;
};

// Walks a dataset.
class TRLCustomSkipper : public TRLCustomPager {
public:
    explicit TRLCustomSkipper(QObject* parent = nullptr) : TRLCustomPager(parent) {}
    RL_PROPERTY(TDataSet*, DataSource, nullptr)
    RL_PROPERTY(TRLRecordRange, RecordRange, rrAllRecords)
    RL_PROPERTY(int, RangeCount, 0)
    RL_PROPERTY(bool, PrintEmpty, false)
    TRLOnDataCountEvent OnDataCount;
    TRLOnDataRecordEvent OnDataRecord;
    TRLOnNeedDataEvent OnNeedData;

    // Where the walk through the data stands (1-based counters).
    int RecNo() const { return recNo_; }
    int CopyNo() const { return copyNo_; }
    bool DataEof() const { return eof_; }
    TRLRecordAction RecordAction() const { return recordAction_; }

private:
    friend class TRLReportGenerator;
    int recNo_ = 1;
    int copyNo_ = 1;
    bool eof_ = true;
    TRLRecordAction recordAction_ = raUseIt;
    bool advanced_ = false;
};

class TRLCustomReport : public TRLCustomSkipper {
public:
    bool IsReport() const override { return true; }
    explicit TRLCustomReport(QObject* owner = nullptr);
    ~TRLCustomReport() override;

    TRLPageSetup& PageSetup() { return pageSetup_; }
    const TRLPageSetup& PageSetup() const { return pageSetup_; }
    TRLPreviewOptions& PreviewOptions() { return previewOptions_; }
    // The storage this report generates into; the report is one of its users.
    TRLGraphicStorage* Pages() const { return pages_; }
    void SetTransparent(bool value) override;

    RL_PROPERTY(int, FirstPageNumber, 1)
    RL_PROPERTY(bool, PrintDialog, true)
    RL_PROPERTY(bool, ShowProgress, true)
    RL_PROPERTY(bool, ShowDesigners, true)
    RL_PROPERTY(bool, ShowTracks, true)
    RL_PROPERTY(bool, ShowExplosion, false)
    RL_PROPERTY(TRLPrintQuality, PrintQuality, pqFullFeature)
    RL_PROPERTY(bool, AdjustableMargins, false)
    RL_PROPERTY(bool, ForcePrepare, true)
    RL_PROPERTY(QString, Title, QString())
    RL_PROPERTY(TRLCustomReport*, NextReport, nullptr)
    RL_PROPERTY(TRLCustomFilter*, DefaultFilter, nullptr)
    RL_PROPERTY(TRLExpressionParser*, ExpressionParser, nullptr)
    TRLNotifyEvent OnPageStarting;
    TRLNotifyEvent OnPageEnding;
    TRLBeforeTextEvent OnFilterText;

    // Page size from the page setup: round(mm * 96 / 25.4), halves to even.
    void PageSetupChanged();

    // Generates every page into Pages(). False when BeforePrint refused,
    // the run was cancelled, a chained NextReport failed, or an error
    // occurred (which has then been shown in one message box).
    bool Prepare();
    // Prepares (always, with ForcePrepare) and shows the pages: handed to
    // the given preview control, or to the registered preview window.
    bool Preview();
    bool Preview(const std::function<void(TRLGraphicStorage*)>& previewControl);
    // Prepares when needed and hands the pages to the registered print run.
    bool Print();

    TRLReportState ReportState() const { return state_; }
    bool Canceled() const { return canceled_; }
    // Asks a running Prepare to stop; it stores the last page and fails.
    void Cancel() { canceled_ = true; }
    // Number of the page being generated: FirstPageNumber + pages stored.
    int PageNumber() const { return FirstPageNumber() + pagesStored_; }
    // When the last Prepare started (days since 30 December 1899, read
    // from DateTime::Now, which tests pin).
    double GenerationTime() const { return generationTime_; }

private:
    friend class TRLReportGenerator;
    TRLPageSetup pageSetup_{this};
    TRLPreviewOptions previewOptions_;
    TRLGraphicStorage* pages_;
    TRLReportState state_ = rsIdle;
    bool canceled_ = false;
    bool pendingBreak_ = false;
    double generationTime_ = 0;
    int pagesStored_ = 0;
    std::shared_ptr<TRLGraphicSurface> pageSurface_;
    TRLProgress* progress_ = nullptr;
};

// The classes the report forms place.
class TRLLabel : public TRLCustomLabel {
public:
    using TRLCustomLabel::TRLCustomLabel;
};
class TRLDBText : public TRLCustomDBText {
public:
    using TRLCustomDBText::TRLCustomDBText;
};
class TRLSystemInfo : public TRLCustomSystemInfo {
public:
    using TRLCustomSystemInfo::TRLCustomSystemInfo;
};
class TRLMemo : public TRLCustomMemo {
public:
    using TRLCustomMemo::TRLCustomMemo;
};
class TRLDBMemo : public TRLCustomDBMemo {
public:
    using TRLCustomDBMemo::TRLCustomDBMemo;
};
class TRLImage : public TRLCustomImage {
public:
    using TRLCustomImage::TRLCustomImage;
};
class TRLBand : public TRLCustomBand {
public:
    using TRLCustomBand::TRLCustomBand;
};
class TRLGroup : public TRLCustomGroup {
public:
    using TRLCustomGroup::TRLCustomGroup;
};
class TRLReport : public TRLCustomReport {
public:
    using TRLCustomReport::TRLCustomReport;
};
