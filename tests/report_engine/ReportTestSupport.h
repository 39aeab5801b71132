#pragma once
// Building small report forms in code and reading back what their pages hold.
#include "MemTestDataSet.h"

#include "RLEngineServices.h"
#include "RLMetaFile.h"
#include "RLReport.h"

#include <QStringList>
#include <ostream>
#include <vector>

// Every message box the engine shows while this lives.
class MessageRecorder {
public:
    MessageRecorder() {
        RLEngineServices::SetMessageSink([this](const QString& text) { Texts << text; });
    }
    ~MessageRecorder() { RLEngineServices::SetMessageSink({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    QStringList Texts;
};

inline TRLBand* AddBand(TRLCustomControl* parent, TRLBandType type, int height,
                        const QString& name = QString()) {
    auto* band = new TRLBand(parent);
    band->SetName(name);
    band->SetBandType(type);
    band->SetHeight(height);
    // Design order: bands of one type print in the order they were added.
    band->SetTop(1000 + static_cast<int>(parent->Controls().size()));
    return band;
}

inline TRLLabel* AddLabel(TRLCustomControl* band, const QString& caption, int left = 0,
                          int top = 0) {
    auto* label = new TRLLabel(band);
    label->SetCaption(caption);
    label->SetBounds(left, top, 65, 17);
    return label;
}

inline TRLDBText* AddDBText(TRLCustomControl* band, TDataSet* data, const QString& field,
                            int left = 0, int top = 0, int width = 100) {
    auto* text = new TRLDBText(band);
    text->SetName(QStringLiteral("Text_") + field);
    text->SetDataSource(data);
    text->SetDataField(field);
    text->SetAutoSize(false);
    text->SetBounds(left, top, width, 17);
    return text;
}

inline TRLGroup* AddGroup(TRLCustomControl* parent, const QString& fields,
                          const QString& name = QString()) {
    auto* group = new TRLGroup(parent);
    group->SetName(name);
    group->SetDataFields(fields);
    group->SetTop(1000 + static_cast<int>(parent->Controls().size()));
    return group;
}

// A text drawn on a page, as the storage holds it.
struct PlacedText {
    int Page = 0; // 1-based
    QString Text;
    TRect Box;
    TPoint Origin;
};

inline std::vector<PlacedText> PageTexts(TRLGraphicStorage& pages) {
    std::vector<PlacedText> out;
    for (int i = 0; i < pages.PageCount(); ++i) {
        const auto page = pages.GetPage(i);
        for (int k = 0; page && k < page->ObjectCount(); ++k) {
            if (const auto* t = dynamic_cast<const TRLTextObject*>(page->Objects(k))) {
                out.push_back({i + 1, t->Text, t->BoundsRect, t->Origin});
            }
        }
    }
    return out;
}

// "page:text" for every text, in drawing order.
inline QStringList PageTextList(TRLGraphicStorage& pages) {
    QStringList out;
    for (const PlacedText& t : PageTexts(pages)) {
        out << QStringLiteral("%1:%2").arg(t.Page).arg(t.Text);
    }
    return out;
}

// The first placed text with this text, or an empty one.
inline PlacedText FindText(TRLGraphicStorage& pages, const QString& text, int page = 0) {
    for (const PlacedText& t : PageTexts(pages)) {
        if (t.Text == text && (page == 0 || t.Page == page)) {
            return t;
        }
    }
    return {};
}

// Readable QString and QStringList values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i ? ", " : "") << '"' << list.at(i).toStdString() << '"';
    }
    *os << '}';
}
