// A page file from anywhere, as the preview's "Abrir" and a saved report
// bring it in: loaded, every page painted, then written as PDF and as a
// spreadsheet. A bad file must end in "File is corrupted!" (or another
// error of the program's own), never in a crash, a hang or undefined
// behaviour.
#include "Exception.h"
#include "RLMetaFile.h"
#include "RLPDFFilter.h"
#include "RLXLSFilter.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace {

struct Workspace {
    QTemporaryDir dir;
    QString input = dir.filePath(QStringLiteral("input.rpf"));
    QString pdf = dir.filePath(QStringLiteral("output.pdf"));
    QString xls = dir.filePath(QStringLiteral("output.xls"));
};

Workspace& Files() {
    static Workspace workspace;
    return workspace;
}

// Holds the storage the way a preview does and lets it go at the end.
class Held {
public:
    Held() : storage_(new TRLGraphicStorage) { storage_->Link(this); }
    ~Held() { storage_->Unlink(this); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    TRLGraphicStorage* operator->() const { return storage_; }
    TRLGraphicStorage* get() const { return storage_; }

private:
    TRLGraphicStorage* storage_;
};

// Half the size of an A4 page: every object is scaled on the way.
void PaintPages(TRLGraphicStorage& storage) {
    QImage image(397, 561, QImage::Format_RGB32);
    for (int i = 0; i < storage.PageCount(); ++i) {
        const std::shared_ptr<TRLGraphicSurface> page = storage.GetPage(i);
        if (!page) {
            continue;
        }
        image.fill(Qt::white);
        QPainter painter(&image);
        page->PaintTo(painter, {0, 0, image.width(), image.height()});
    }
}

void Export(TRLCustomSaveFilter& filter, TRLGraphicStorage* storage, const QString& fileName) {
    filter.FileName = fileName;
    filter.ShowProgress = false;
    try {
        filter.FilterPages(storage);
    } catch (const Exception&) {
        // Refused with the program's own message: what a bad file may do.
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Workspace& files = Files();
    {
        QFile input(files.input);
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            input.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            qFatal("cannot write the input file");
        }
    }
    Held storage;
    try {
        storage->LoadFromFile(files.input);
    } catch (const Exception& e) {
        if (e.Message() != QStringLiteral("File is corrupted!")) {
            qFatal("a bad page file gave \"%s\"", qPrintable(e.Message()));
        }
        if (storage->PageCount() != 0) {
            qFatal("a refused page file left %d pages", storage->PageCount());
        }
        return 0;
    }
    PaintPages(*storage.get());
    TRLPDFFilter pdf;
    Export(pdf, storage.get(), files.pdf);
    TRLXLSFilter xls;
    Export(xls, storage.get(), files.xls);
    return 0;
}
