#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace korvel {

// The files handed to the program on its command line ("korvel.exe <file>", Explorer's "Send
// to", a file manager's "Open with"), as the links a drop of them would carry. They go to the
// encrypt or decrypt window the user opens, which takes them as it takes a drop; one age file
// opens the decrypt window with it.
class CommandLineFiles {
public:
    // `arguments` as QCoreApplication::arguments() gives them: the program first, then what
    // follows it once Qt has taken its own options. Relative paths are taken from the current
    // folder.
    static QList<QUrl> FromArguments(const QStringList& arguments);
    // One age file, as a double-click on it hands over: it goes straight to the decrypt window.
    static bool AreOneAgeFile(const QList<QUrl>& files);
};

}  // namespace korvel
