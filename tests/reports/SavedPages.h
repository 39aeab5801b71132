#pragma once
// The texts of a report's stored pages, with where each stands, for tests
// that read a report as its reader would.
#include "RLMetaFile.h"

#include <QStringList>
#include <algorithm>
#include <vector>

// A text on a stored page, in page coordinates.
struct PageText {
    int Page = 0; // 1-based
    QString Text;
    TRect Box;
};

struct SavedReport {
    int PageCount = 0;
    std::vector<PageText> Texts;

    std::vector<PageText> On(int page) const {
        std::vector<PageText> out;
        for (const PageText& t : Texts) {
            if (t.Page == page) {
                out.push_back(t);
            }
        }
        return out;
    }
    std::vector<PageText> All(const QString& text) const {
        std::vector<PageText> out;
        for (const PageText& t : Texts) {
            if (t.Text == text) {
                out.push_back(t);
            }
        }
        return out;
    }
    bool Has(const QString& text) const { return !All(text).empty(); }
    // The texts on the same page and line as another, left to right.
    QStringList LineOf(const PageText& t) const {
        std::vector<PageText> line;
        for (const PageText& o : Texts) {
            if (o.Page == t.Page && o.Box.Top == t.Box.Top) {
                line.push_back(o);
            }
        }
        std::sort(line.begin(), line.end(),
                  [](const PageText& a, const PageText& b) { return a.Box.Left < b.Box.Left; });
        QStringList out;
        for (const PageText& o : line) {
            out << o.Text;
        }
        return out;
    }
};

// The texts of every page of a storage.
inline SavedReport ReadPages(TRLGraphicStorage& storage) {
    SavedReport r;
    r.PageCount = storage.PageCount();
    for (int i = 0; i < storage.PageCount(); ++i) {
        const auto page = storage.GetPage(i);
        for (int k = 0; k < page->ObjectCount(); ++k) {
            if (const auto* t = dynamic_cast<const TRLTextObject*>(page->Objects(k))) {
                r.Texts.push_back({i + 1, t->Text, t->BoundsRect});
            }
        }
    }
    return r;
}

inline SavedReport LoadSaved(const QString& fileName) {
    TRLGraphicStorage* storage = new TRLGraphicStorage;
    const int user = 0;
    storage->Link(&user);
    storage->LoadFromFile(fileName);
    const SavedReport r = ReadPages(*storage);
    storage->Unlink(&user);
    return r;
}
