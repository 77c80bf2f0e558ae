#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cipher/age/X25519Identity.h"

namespace korvel {

// An age identity file, as `age -i` reads it: read for --identity, made by `korvel-cli identity`.
class IdentityFile {
public:
    // Far more than any identity file holds; a larger file is refused unread.
    static constexpr std::uint64_t kMostBytes = std::uint64_t{1} << 20;

    // The identities, or the message that says why there are none.
    static std::variant<std::vector<age::X25519Identity>, std::string> Read(
        const std::filesystem::path& path);

    // Something is at the path already: the message that refuses it.
    static std::optional<std::string> Refusal(const std::filesystem::path& path);
    // Makes the file, private to the user from its first byte (0600; owner-only on Windows) and
    // complete or absent, never partial. A file, folder or link already at the path is refused
    // and left as it is. The message that says why when it was not made.
    static std::optional<std::string> Write(const std::filesystem::path& path,
                                            const age::X25519Identity& identity);
};

}  // namespace korvel
