#pragma once

#include <string>

namespace korvel {

// The reason Windows gives for one of its error codes, in the user's language.
std::string WindowsReason(unsigned long errorCode);

}  // namespace korvel
