#include "CommonFileDialog.h"

#include "WindowDialogs.h"

namespace korvel {

CommonFileDialog::CommonFileDialog(WindowDialogs& dialogs, QWidget* owner)
    : dialogs_(dialogs), owner_(owner) {}

QStringList CommonFileDialog::ShowOpen() {
    QStringList chosen = dialogs_.ShowOpenMany(owner_, Filter, FileName).value_or(QStringList());
    if (chosen.size() == 1) FileName = chosen.first();
    return chosen;
}

void CommonFileDialog::ShowSave() {
    if (auto chosen = dialogs_.ShowSave(owner_, Filter, FileName)) FileName = *chosen;
}

}  // namespace korvel
