#pragma once
// What the engine's windows share: their face and fixed pixel placement.
// The windows are laid out at the positions of the system they come from,
// in its "MS Sans Serif" 11-pixel face, whose metric twin is installed
// here; a caption wider in that face than its place moves what follows it.
#include <QFont>
#include <QWidget>
#include <initializer_list>

// The windows' face (the substitution is installed on first use).
QFont DialogFont();

template <class W> W* Place(QWidget* parent, int left, int top, int width, int height) {
    auto* widget = new W(parent);
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Widens a caption (label, check box, radio button) to the width its text
// and indicator take in its own font. Returns how many pixels its right
// edge, plus a small gap, now goes past `nextLeft`, the left edge of what
// follows it on the same line (0 when it fits).
int FitCaption(QWidget* caption, int nextLeft);

// Fits a caption that stands before its field on one line: a field the
// caption now reaches starts further right and keeps its right edge.
void FitCaptionBefore(QWidget* caption, QWidget* field);

// The page-range line of the save and print dialogs: the "Páginas" button,
// "de:" with its box, "até" with its box, each pushed right by a wider
// caption before it.
void FitPageRange(QWidget* pagesButton, QWidget* fromLabel, QWidget* fromEdit, QWidget* toLabel,
                  QWidget* toEdit);

// Moves each widget `dx` pixels to the right.
void MoveRight(std::initializer_list<QWidget*> widgets, int dx);
