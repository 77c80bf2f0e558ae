#include "PathIdentity.h"

#include <system_error>

namespace korvel {

namespace {

std::filesystem::path Resolved(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) resolved = std::filesystem::absolute(path, error).lexically_normal();
    return resolved;
}

}  // namespace

bool NameSameFile(const std::filesystem::path& first, const std::filesystem::path& second) {
    std::error_code firstError, secondError;
    const bool firstExists = std::filesystem::exists(first, firstError);
    const bool secondExists = std::filesystem::exists(second, secondError);
    if (!firstError && !secondError) {
        // A file that exists is never one that does not: no need to resolve either.
        if (firstExists != secondExists) return false;
        if (firstExists) {
            std::error_code error;
            const bool same = std::filesystem::equivalent(first, second, error);
            if (!error) return same;
        }
    }
    return Resolved(first) == Resolved(second);
}

}  // namespace korvel
