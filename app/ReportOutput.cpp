#include "ReportOutput.h"

#include "DMod.h"
#include "RLFilters.h"
#include "RLMetaFile.h"
#include "RLPDFFilter.h"
#include "RLPNGFilter.h"
#include "RLXLSFilter.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Page numbers of more than eight digits are typing errors, not pages.
std::optional<int> PageNumber(const QString& digits) {
    if (digits.size() > 8) {
        return std::nullopt;
    }
    return digits.toInt();
}

template <class Filter> bool Registered() {
    for (TRLCustomFilter* f : ActiveFilters()) {
        if (qobject_cast<Filter*>(f) != nullptr) {
            return true;
        }
    }
    return false;
}

// The writers the extension may ask for. In a report run the data module
// owns the PDF and spreadsheet filters, registered first, so those are the
// ones used; a conversion (and the check of the options) has no data module
// and brings its own. Page images have no filter of the program's, so the
// tool always brings that one.
struct TToolWriters {
    // Before the page images' filter, so that the formats list in the
    // program's order.
    std::unique_ptr<TExportFilters> Export =
        Registered<TRLPDFFilter>() && Registered<TRLXLSFilter>()
            ? nullptr
            : std::make_unique<TExportFilters>();
    TRLPNGFilter Png;
};

void Configure(TRLCustomSaveFilter& filter, const TOutputChoice& choice) {
    if (auto* xls = qobject_cast<TRLXLSFilter*>(&filter); xls && choice.XlsNumbers) {
        xls->Options |= foFindValueCells | foTrailingMinus | foGroupedThousands |
                        foRightAlignedNumbersInLastColumn;
    }
    if (auto* png = qobject_cast<TRLPNGFilter*>(&filter)) {
        png->Dpi = choice.Dpi;
    }
}

QString PagesText(int count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" page written to ")
                                                : QStringLiteral(" pages written to "));
}

// Writes and says what was written; raises whatever stopped the writer.
QString Write(TRLGraphicStorage& pages, const QString& fileName, const TPageRange& range,
              const TOutputChoice& choice) {
    TToolWriters writers;
    TRLCustomSaveFilter* filter = SaveFilterByFileName(fileName);
    if (filter == nullptr) {
        pages.SaveToFile(fileName, range.First, range.Last);
        return PagesText(range.Last - range.First + 1) + fileName;
    }
    Configure(*filter, choice);
    filter->FileName = fileName;
    filter->FilterPages(&pages, range.First, false, range.Last);
    if (filter != &writers.Png) {
        return PagesText(range.Last - range.First + 1) + fileName;
    }
    const QStringList& written = writers.Png.Written();
    if (written.isEmpty()) {
        return QStringLiteral("no page written: the document has no pages");
    }
    if (written.size() > 1) {
        return PagesText(static_cast<int>(written.size())) + written.first() +
               QStringLiteral(" .. ") + written.last();
    }
    return PagesText(static_cast<int>(written.size())) + written.value(0);
}

} // namespace

std::optional<TPageRange> ParsePageRange(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d+)(-(\\d*))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const std::optional<int> first = PageNumber(m.captured(1));
    if (!first) {
        return std::nullopt;
    }
    TPageRange range{*first, *first};
    if (m.capturedLength(2) == 0) {
        return range;
    }
    if (m.capturedLength(3) == 0) {
        range.Last = -1;
        return range;
    }
    const std::optional<int> last = PageNumber(m.captured(3));
    if (!last) {
        return std::nullopt;
    }
    range.Last = *last;
    return range;
}

std::optional<TPageRange> PagesInDocument(const TPageRange& range, int pageCount) {
    TPageRange kept{std::max(1, range.First),
                    range.Last == -1 ? pageCount : std::min(range.Last, pageCount)};
    if (kept.First > kept.Last) {
        return std::nullopt;
    }
    return kept;
}

bool IsWritableName(const QString& fileName) {
    const TToolWriters writers;
    return IsKnownSaveExtension(fileName);
}

QStringList WritableExtensions() {
    const TToolWriters writers;
    return KnownSaveExtensions();
}

bool IsPageImageName(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) == 0;
}

QString FirstOutputFile(const QString& fileName) {
    return IsPageImageName(fileName) ? PNG::PageFileName(fileName, 1) : fileName;
}

TOutputResult WriteOutput(TRLGraphicStorage& pages, const QString& fileName,
                          const TOutputChoice& choice) {
    const int count = pages.PageCount();
    TPageRange range{1, count};
    if (choice.Pages) {
        const std::optional<TPageRange> kept = PagesInDocument(*choice.Pages, count);
        if (!kept) {
            return {TOutputResult::OutsideDocument,
                    QStringLiteral("--pages: the document has %1 %2, none of them in the range")
                        .arg(count)
                        .arg(count == 1 ? QStringLiteral("page") : QStringLiteral("pages"))};
        }
        range = *kept;
    }
    if (!IsWritableName(fileName)) {
        return {TOutputResult::UnknownFormat,
                QStringLiteral("%1: no format has the extension \"%2\"")
                    .arg(fileName, FileExtension(fileName))};
    }
    return {TOutputResult::Written, Write(pages, fileName, range, choice)};
}

TRLStorageHold LoadPageFile(const QString& fileName) {
    TRLStorageHold pages(new TRLGraphicStorage);
    pages->LoadFromFile(fileName);
    return pages;
}
