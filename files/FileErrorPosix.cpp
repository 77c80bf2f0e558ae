#include <string>
#include <system_error>

#include "FileError.h"

namespace korvel {

std::string SystemReason(int errorNumber) {
    // strerror speaks the language of the locale the program took from its environment.
    return std::generic_category().message(errorNumber);
}

std::string SystemReason(const std::error_code& error) { return SystemReason(error.value()); }

}  // namespace korvel
