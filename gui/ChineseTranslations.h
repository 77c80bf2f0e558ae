#pragma once

class QApplication;

namespace korvel {

// Loads Qt's own Simplified-Chinese translations so that standard dialogs and buttons speak
// the program's language. Returns false when the translation file is not installed.
bool InstallChineseTranslations(QApplication& application);

}  // namespace korvel
