#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "Direction.h"
#include "RunFlags.h"

namespace korvel {

struct RunRequest {
    Direction direction = Direction::Encrypt;
    std::filesystem::path source;
    std::filesystem::path target;
    std::string password;  // the confirmed password: 5 to 20 characters with codes 32 to 126
    std::filesystem::path keyFile;
    // Shared with whoever drives the run, who may outlive it or be outlived by it.
    std::shared_ptr<RunFlags> flags = std::make_shared<RunFlags>();
};

// Sources longer than this many bytes run in progress mode.
inline constexpr long long kQuietRunLimit = 204800;

}  // namespace korvel
