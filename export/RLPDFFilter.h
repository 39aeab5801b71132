#pragma once
// The save filter that writes stored report pages as a PDF file: one forward
// pass, CRLF lines, no compression, no embedded fonts. Run it with
// FilterPages, like every filter.
#include "PdfDocument.h"
#include "RLFilters.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TRLPDFFilterViewerOption : std::uint8_t {
    voRegular = 1,
    voHideToolBar = 2,
    voHideMenuBar = 4,
    voHideWindowUI = 8,
    voFitWindow = 16,
    voCenterWindow = 32,
};
using TRLPDFFilterViewerOptions = std::uint8_t; // a set of TRLPDFFilterViewerOption

enum class TRLPDFFilterPageMode { pmRegular, pmOutlines, pmThumbs, pmFullScreen };
enum class TRLPDFFilterPageLayout {
    plRegular,
    plSinglePage,
    plOneColumn,
    plTwoColumnLeft,
    plTwoColumnRight
};
enum class TRLPDFFilterFontEncoding { feNoEncoding, feMacRomanEncoding, feWinAnsiEncoding };

class TRLPDFFilterDocumentInfo {
public:
    QString Title, Subject, Author, KeyWords, Creator, Producer;
    // Copies the six strings; none clears them.
    void Assign(const TRLPDFFilterDocumentInfo* other);
};

class TRLPDFFilter : public TRLCustomSaveFilter {
    Q_OBJECT
public:
    // DefaultExt ".pdf"; DisplayName "Documento PDF" (in the engine's language).
    explicit TRLPDFFilter(QObject* owner = nullptr);
    ~TRLPDFFilter() override;

    // Published options. BeginDoc puts every one except DocumentInfo back to
    // its default, so each document gets a plain catalog and WinAnsi fonts.
    TRLPDFFilterDocumentInfo DocumentInfo;
    TRLPDFFilterViewerOptions ViewerOptions = voRegular;
    TRLPDFFilterPageMode PageMode = TRLPDFFilterPageMode::pmRegular;
    TRLPDFFilterPageMode FullPageMode = TRLPDFFilterPageMode::pmRegular;
    TRLPDFFilterPageLayout PageLayout = TRLPDFFilterPageLayout::plRegular;
    TRLPDFFilterFontEncoding FontEncoding = TRLPDFFilterFontEncoding::feWinAnsiEncoding;
    bool ForceASCII = false;

    // The creation time written into the document; tests fix it.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

protected:
    // Creates a temporary file beside FileName and writes everything up to
    // the catalog. Throws when the file cannot be created; nothing is
    // written then.
    void BeginDoc() override;
    // Pictures, page object and content stream of one stored page.
    void DrawPage(TRLGraphicSurface& page) override;
    void NewPage() override {}
    // Fonts, resources, page tree, cross-reference table, trailer; the
    // complete file then takes FileName's place. After a failed run the
    // file is dropped instead. Does nothing when no document is open.
    void EndDoc() override;

private:
    void DrawObjects(TRLGraphicSurface& page, Pdf::Content& content);

    Pdf::Document document_;
    std::vector<int> imageIndexes_; // per image object of the page being drawn
    std::string textBytes_;         // reused for every text
};
