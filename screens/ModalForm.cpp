#include "ModalForm.h"

namespace {
ModalRunner runner;
} // namespace

void ShowModal(QDialog& form) {
    if (!runner) {
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
