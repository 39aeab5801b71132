// The captions of the engine's dialogs fit their places in the real face:
// each label, check box and radio button is as wide as its text and
// indicator need, and that width runs into none of the controls beside it.
#include "RLFindDialog.h"
#include "RLPrintDialog.h"
#include "RLSaveDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

QString CaptionOf(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return button->text();
    }
    return {};
}

bool IsCaption(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) != nullptr ||
           qobject_cast<const QCheckBox*>(w) != nullptr ||
           qobject_cast<const QRadioButton*>(w) != nullptr;
}

void ExpectCaptionsFit(QWidget& dialog) {
    dialog.show(); // sizes as the user sees them
    int checked = 0;
    for (const QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!IsCaption(w) || !w->isVisible() || CaptionOf(w).isEmpty()) {
            continue;
        }
        ++checked;
        const std::string text = CaptionOf(w).toStdString();
        // The band its text line takes: a control beside it on that line
        // must start after the text ends.
        const int line = w->fontMetrics().height();
        const QRect needed(w->x(), w->y() + (w->height() - line) / 2, w->sizeHint().width(), line);
        EXPECT_GE(w->width(), needed.width()) << text;
        EXPECT_LE(needed.right(), w->parentWidget()->width() - 1) << text << " leaves its box";
        for (const QObject* o : w->parentWidget()->children()) {
            const auto* other = qobject_cast<const QWidget*>(o);
            if (other == nullptr || other == w || !other->isVisible()) {
                continue;
            }
            EXPECT_FALSE(needed.intersects(other->geometry()))
                << text << " runs into " << CaptionOf(other).toStdString() << " "
                << other->metaObject()->className();
        }
    }
    EXPECT_GT(checked, 3);
}

TEST(DialogCaptions, SaveDialog) {
    TRLSaveDialog dialog;
    ExpectCaptionsFit(dialog);
}

TEST(DialogCaptions, PrintDialog) {
    TRLPrintParams params;
    TRLPrintDialog dialog(params);
    ExpectCaptionsFit(dialog);
}

TEST(DialogCaptions, FindDialog) {
    TfrmRLFindDialog dialog([] { return nullptr; });
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    ExpectCaptionsFit(dialog);
}

} // namespace
