#include "ExitStatus.h"

#include <iostream>

#include "CommandLine.h"

namespace korvel {

int ShowUsageError(const std::string& message) {
    std::cerr << message << "\n" << kCliUsage;
    return kUsageError;
}

}  // namespace korvel
