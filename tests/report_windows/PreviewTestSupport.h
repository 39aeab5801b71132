#pragma once
// Storages of numbered pages for the preview's tests, and the Brazilian
// settings the program runs with.
#include "RLMetaFile.h"

#include <QByteArray>
#include <QFile>
#include <memory>

namespace previewtest {

// The engine's texts follow the system locale's language, chosen at first
// use; the program runs under Brazilian settings, and so do these tests.
inline const bool brazilianLocale = [] {
    qputenv("LC_ALL", QByteArrayLiteral("pt_BR.UTF-8"));
    return true;
}();

// An A4 page: a frame, a title "Página N" and rows "Página N linha R"; the
// two texts of each row share one draw group.
inline std::shared_ptr<TRLGraphicSurface> NumberedPage(int number, int rows = 30) {
    auto page = std::make_shared<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(1123);
    page->SetGroupId(NewDrawGroupId());
    page->Rectangle({20, 20, 774, 1103});
    page->SetGroupId(NewDrawGroupId());
    page->TextOut(40, 30, QStringLiteral("Página %1").arg(number));
    for (int row = 0; row < rows; ++row) {
        page->SetGroupId(NewDrawGroupId());
        page->TextOut(40, 60 + row * 30, QStringLiteral("Página %1 linha %2").arg(number).arg(row));
        page->TextOut(400, 60 + row * 30, QStringLiteral("valor %1").arg(row * number));
    }
    return page;
}

inline TRLGraphicStorage* NumberedStorage(int pages, const void* owner, int rows = 30) {
    auto* storage = new TRLGraphicStorage;
    storage->Link(owner);
    storage->SetPaperWidth(210);
    storage->SetPaperHeight(297);
    storage->SetOrientation(1);
    storage->SetFirstPageNumber(1);
    storage->SetLastPageNumber(pages);
    storage->SetTitle(QStringLiteral("Relatório de teste"));
    for (int n = 1; n <= pages; ++n) {
        storage->AddPage(NumberedPage(n, rows));
    }
    return storage;
}

// Damages the spooled record of the given page (0-based); the page must no
// longer be cached.
inline bool DamageSpooledPage(TRLGraphicStorage& storage, int index) {
    QFile spool(storage.SpoolFileName());
    if (!spool.open(QIODevice::ReadWrite)) {
        return false;
    }
    const QByteArray bytes = spool.readAll();
    qsizetype at = -1;
    for (int n = 0; n <= index; ++n) {
        at = bytes.indexOf("RLGraphicSurface3", at + 1);
        if (at < 0) {
            return false;
        }
    }
    spool.seek(at);
    return spool.write("XXXXXXXX") == 8;
}

} // namespace previewtest
