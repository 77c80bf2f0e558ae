#include "AgeError.h"

namespace korvel::age {

AgeError::AgeError(AgeErrorKind kind, const std::string& detail)
    : std::runtime_error(std::string(AgeErrorKindName(kind)) + ": " + detail), kind_(kind) {}

const char* AgeErrorKindName(AgeErrorKind kind) {
    switch (kind) {
        case AgeErrorKind::NotAgeFile:
            return "not an age file";
        case AgeErrorKind::UnsupportedVersion:
            return "unsupported age version";
        case AgeErrorKind::MalformedHeader:
            return "malformed header";
        case AgeErrorKind::HeaderTooLarge:
            return "header too large";
        case AgeErrorKind::NoIdentityMatches:
            return "no identity matches";
        case AgeErrorKind::OtherRecipientKind:
            return "made for another kind of recipient";
        case AgeErrorKind::HeaderMacWrong:
            return "header MAC wrong";
        case AgeErrorKind::PayloadDamaged:
            return "payload damaged";
        case AgeErrorKind::Truncated:
            return "truncated";
        case AgeErrorKind::TrailingData:
            return "trailing data";
    }
    return "age error";
}

}  // namespace korvel::age
