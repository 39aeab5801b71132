#include "ModalForm.h"

namespace {
ModalRunner runner;
} // namespace

void ShowModal(QDialog& form) {
    if (!runner) {
        // Modal to its owner only: an application-modal loop would also block
        // the windows this form opens while it is up (previews, their dialogs,
        // progress windows), which are top-level windows of their own.
        if (form.parentWidget() != nullptr) {
            form.setWindowModality(Qt::WindowModal);
        }
        form.exec();
        return;
    }
    form.setModal(true);
    form.show();
    runner(form);
    form.hide();
}

void SetModalRunner(ModalRunner r) {
    runner = std::move(r);
}
