#include <windows.h>

#include <shellapi.h>

#include "NativeArguments.h"

namespace korvel {

// argv in the console's code page cannot hold every name; the wide command line can.
QStringList NativeArguments::Of(int, char*[]) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    for (int index = 1; wide != nullptr && index < count; ++index) {
        arguments << QString::fromWCharArray(wide[index]);
    }
    LocalFree(wide);
    return arguments;
}

std::filesystem::path NativeArguments::PathOf(const QString& argument) {
    return std::filesystem::path(argument.toStdWString());
}

}  // namespace korvel
