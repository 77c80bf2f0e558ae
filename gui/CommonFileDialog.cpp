#include "CommonFileDialog.h"

#include "WindowDialogs.h"

namespace korvel {

CommonFileDialog::CommonFileDialog(WindowDialogs& dialogs, QWidget* owner)
    : dialogs_(dialogs), owner_(owner) {}

void CommonFileDialog::ShowOpen() {
    if (auto chosen = dialogs_.ShowOpen(owner_, Filter, FileName)) FileName = *chosen;
}

void CommonFileDialog::ShowSave() {
    if (auto chosen = dialogs_.ShowSave(owner_, Filter, FileName)) FileName = *chosen;
}

}  // namespace korvel
