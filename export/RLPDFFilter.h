#pragma once
// The save filter that writes stored report pages as a PDF file: one forward
// pass, CRLF lines, no compression, no embedded fonts. The four filter
// operations (BeginDoc, DrawPage, NewPage, EndDoc) are driven page by page;
// WritePages runs them over a storage.
#include "PdfDocument.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TRLGraphicStorage;
class TRLGraphicSurface;

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

class TRLPDFFilter {
public:
    TRLPDFFilter();
    virtual ~TRLPDFFilter();
    TRLPDFFilter(const TRLPDFFilter&) = delete;
    TRLPDFFilter& operator=(const TRLPDFFilter&) = delete;

    // Save-filter properties.
    QString FileName;
    QString DefaultExt;
    QString DisplayName;
    bool ShowProgress = true;

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

    // The storage the operations below read; set before BeginDoc.
    void SetStorage(TRLGraphicStorage* storage) { storage_ = storage; }
    TRLGraphicStorage* Storage() const { return storage_; }

    // Creates FileName and writes everything up to the catalog. Throws when
    // the file cannot be created; nothing is written then.
    virtual void BeginDoc();
    // Pictures, page object and content stream of one stored page.
    virtual void DrawPage(TRLGraphicSurface& page);
    virtual void NewPage() {}
    // Fonts, resources, page tree, cross-reference table, trailer; closes
    // the file. Does nothing when no document is open.
    virtual void EndDoc();

    // Writes pages firstPage..lastPage (1-based; -1: to the last page) of
    // the storage to FileName. The page range is cut to the pages there are;
    // the document is finished with the pages drawn even when a page fails,
    // and the error is passed on.
    void WritePages(TRLGraphicStorage& storage, int firstPage = 1, int lastPage = -1);

private:
    void DrawObjects(TRLGraphicSurface& page, Pdf::Content& content);

    TRLGraphicStorage* storage_ = nullptr;
    Pdf::Document document_;
    std::vector<int> imageIndexes_; // per image object of the page being drawn
    std::string textBytes_;         // reused for every text
};
