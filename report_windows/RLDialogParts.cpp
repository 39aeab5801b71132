#include "RLDialogParts.h"

#include <algorithm>

QFont DialogFont() {
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)substituted;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

int FitCaption(QWidget* caption, int nextLeft) {
    constexpr int kGap = 4;
    const int needed = caption->sizeHint().width();
    if (!caption->testAttribute(Qt::WA_Resized)) {
        // Placed without a size: it takes its text's size when shown.
        caption->adjustSize();
    } else if (caption->width() < needed) {
        caption->resize(needed, caption->height());
    }
    return std::max(0, caption->x() + caption->width() + kGap - nextLeft);
}

void FitCaptionBefore(QWidget* caption, QWidget* field) {
    const int dx = FitCaption(caption, field->x());
    if (dx > 0) {
        field->setGeometry(field->x() + dx, field->y(), field->width() - dx, field->height());
    }
}

void MoveRight(std::initializer_list<QWidget*> widgets, int dx) {
    for (QWidget* w : widgets) {
        w->move(w->x() + dx, w->y());
    }
}

void FitPageRange(QWidget* pagesButton, QWidget* fromLabel, QWidget* fromEdit, QWidget* toLabel,
                  QWidget* toEdit) {
    MoveRight({fromLabel, fromEdit, toLabel, toEdit}, FitCaption(pagesButton, fromLabel->x()));
    MoveRight({fromEdit, toLabel, toEdit}, FitCaption(fromLabel, fromEdit->x()));
    MoveRight({toEdit}, FitCaption(toLabel, toEdit->x()));
}
