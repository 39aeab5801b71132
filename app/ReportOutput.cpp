#include "ReportOutput.h"

#include "Exception.h"
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
// ones used; a conversion has no data module and brings its own. Page
// images have no filter of the program's, so the tool always brings that one.
struct TToolWriters {
    TToolWriters() {
        if (!Registered<TRLPDFFilter>()) {
            Pdf = std::make_unique<TRLPDFFilter>();
            Pdf->DisplayName = QStringLiteral("Documento PDF");
        }
        if (!Registered<TRLXLSFilter>()) {
            Xls = std::make_unique<TRLXLSFilter>();
            Xls->DisplayName = QStringLiteral("Planilha Excel");
        }
    }
    std::unique_ptr<TRLPDFFilter> Pdf;
    std::unique_ptr<TRLXLSFilter> Xls;
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

// A storage of its own holding copies of pages first..last, with the
// header of the whole report (its title, paper, and the page count that
// "page n of N" texts refer to).
TLoadedPages CopyPages(TRLGraphicStorage& from, const TPageRange& range) {
    static const int user = 0;
    TLoadedPages copy(new TRLGraphicStorage, [](TRLGraphicStorage* s) { s->Unlink(&user); });
    copy->Link(&user);
    for (const QString& macro : from.Macros()) {
        const qsizetype eq = macro.indexOf(u'=');
        copy->SetMacro(macro.left(eq), eq < 0 ? QString() : macro.mid(eq + 1));
    }
    for (int page = range.First; page <= range.Last; ++page) {
        const std::shared_ptr<TRLGraphicSurface> surface = from.GetPage(page - 1);
        if (!surface) {
            throw Exception(QStringLiteral("page %1 cannot be read").arg(page));
        }
        auto twin = std::make_shared<TRLGraphicSurface>();
        twin->LoadFromBytes(surface->SaveToBytes());
        copy->AddPage(std::move(twin));
    }
    return copy;
}

QString PagesText(int count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" page written to ")
                                                : QStringLiteral(" pages written to "));
}

// Writes and says what was written; raises whatever stopped the writer.
QString Write(TRLGraphicStorage& pages, const QString& fileName, const TPageRange& range,
              bool whole, const TOutputChoice& choice) {
    TToolWriters writers;
    TRLCustomSaveFilter* filter = SaveFilterByFileName(fileName);
    if (filter == nullptr) {
        if (whole) {
            pages.SaveToFile(fileName);
        } else {
            CopyPages(pages, range)->SaveToFile(fileName);
        }
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
    const bool whole = range.First == 1 && range.Last == count;
    try {
        return {TOutputResult::Written, Write(pages, fileName, range, whole, choice)};
    } catch (const EAbort&) {
        throw; // stopped: nothing to say about the file
    } catch (const std::exception& e) {
        return {TOutputResult::Unwritable,
                QStringLiteral("cannot write %1: %2").arg(fileName, QString::fromUtf8(e.what()))};
    }
}

TLoadedPages LoadPageFile(const QString& fileName) {
    static const int user = 0;
    TLoadedPages pages(new TRLGraphicStorage, [](TRLGraphicStorage* s) { s->Unlink(&user); });
    pages->Link(&user);
    pages->LoadFromFile(fileName);
    return pages;
}
