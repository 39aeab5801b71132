#pragma once
// Showing a window modally. The program runs the window's own loop; tests
// put a runner in its place that drives the open window and closes it,
// without a nested loop that would wait for a user.
#include <QDialog>
#include <functional>

using ModalRunner = std::function<void(QDialog& form)>;

// Shows the form modally and returns when it has been closed.
void ShowModal(QDialog& form);

// Replaces the way forms are shown modally; an empty runner restores the
// real one. The runner is called with the form already shown.
void SetModalRunner(ModalRunner runner);
