#pragma once
// One PDF document written in a single forward pass: header, information and
// catalog at the start, then pages (their pictures first), then fonts,
// resources, page tree, cross-reference table and trailer. Every forward
// reference uses an object number reserved in advance.
#include "PdfContent.h"
#include "PdfOutput.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace Pdf {

struct DocumentInfo {
    QString title, subject, author, keywords, creator, producer;
};

class Document {
public:
    // Creates the file and writes up to the catalog. pageWidth and
    // pageHeight (storage units) give the page tree's media box.
    void Begin(const QString& fileName, int pageWidth, int pageHeight, const DocumentInfo& info,
               const QDateTime& created);

    // Writes the picture's XObject the first time its data is seen and
    // answers its resource index (1, 2, ...), or 0 when the data holds no
    // picture. decode is called only for data not seen before. Call before
    // BeginPage for the page that shows it.
    int ImageIndex(const QByteArray& imageData, const std::function<QImage()>& decode);
    int ImageIndex(const QByteArray& imageData); // decoded by DecodeImageData

    // Starts a page of the given size (storage units): the page object and
    // the head of its content stream. Draw through the returned Content.
    Content BeginPage(int width, int height);
    void EndPage();

    // The resource index of a font (name compared ignoring case, bold and
    // italic exactly; underline and strike-out do not make another face),
    // entered on first use.
    int FontIndex(const QString& name, int style);

    // Fonts, resources, page tree, xref and trailer; closes the file.
    void End();
    // Closes the file as it is, after an error.
    void Abandon() { out_.Abandon(); }

    bool IsOpen() const { return out_.IsOpen(); }
    int PageCount() const { return static_cast<int>(pages_.size()); }

private:
    struct FontEntry {
        QString name;
        int style = 0;
        int number = 0;
    };

    static constexpr std::size_t kRecentImages = 8;
    int CachedImageIndex(const QByteArray& imageData, const std::function<QImage()>& decode);
    void WriteInfo(const DocumentInfo& info, const QDateTime& created);
    void WriteFonts();
    void WriteFont(int index, const FontEntry& font);
    void WriteTrueTypeFont(int index, const FontEntry& font);
    void WriteResources();
    void WritePageTree();
    void WriteXrefAndTrailer();

    Output out_;
    int pageTree_ = 0;
    int resources_ = 0;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    std::vector<int> pages_;
    std::vector<FontEntry> fonts_;
    QHash<QString, int> fontLookup_; // lower-case name + style -> index
    std::vector<int> images_;
    QHash<quint16, int> imageCache_; // checksum -> index
    // The data of the last few pictures met, so the logo that every page
    // repeats is recognised by comparing bytes before checksumming them.
    std::vector<std::pair<QByteArray, int>> recentImages_;
    // The page being drawn.
    int contentLength_ = 0;
    long long streamStart_ = 0;
};

} // namespace Pdf
