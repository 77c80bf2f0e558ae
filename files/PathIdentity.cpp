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

SeenPath::SeenPath(const std::filesystem::path& seen) : path(seen) {
    std::error_code error;
    exists = std::filesystem::exists(path, error);
    unknown = static_cast<bool>(error);
}

bool NameSameFile(const std::filesystem::path& first, const std::filesystem::path& second) {
    return NameSameFile(SeenPath(first), SeenPath(second));
}

bool NameSameFile(const SeenPath& first, const SeenPath& second) {
    if (!first.unknown && !second.unknown) {
        // A file that exists is never one that does not: no need to resolve either.
        if (first.exists != second.exists) return false;
        if (first.exists) {
            std::error_code error;
            const bool same = std::filesystem::equivalent(first.path, second.path, error);
            if (!error) return same;
        }
    }
    return Resolved(first.path) == Resolved(second.path);
}

}  // namespace korvel
