#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace korvel {

// The program's arguments as the system gave them, so that any name a file system holds can be
// given: on POSIX the bytes of argv, whatever their encoding; on Windows the wide command line.
class NativeArguments {
public:
    // The arguments after the program's name. On POSIX a byte that is not part of valid UTF-8 is
    // kept as a lone surrogate (U+DC80 to U+DCFF), which PathOf turns back into that byte.
    static QStringList Of(int argc, char* argv[]);
    // The file system's path for an argument taken by Of, byte for byte.
    static std::filesystem::path PathOf(const QString& argument);
};

}  // namespace korvel
