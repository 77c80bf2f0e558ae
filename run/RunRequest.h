#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "RunFlags.h"
#include "cipher/CipherFormat.h"
#include "cipher/Direction.h"

namespace korvel {

class AgeKeys;
class CommitGroup;
class KeyFileReader;
class LeftoverNames;

struct RunRequest {
    Direction direction = Direction::Encrypt;
    std::filesystem::path source;
    std::filesystem::path target;
    std::string password;  // the confirmed password: 5 to 20 characters with codes 32 to 126
    std::filesystem::path keyFile;
    // Shared with whoever drives the run, who may outlive it or be outlived by it.
    std::shared_ptr<RunFlags> flags = std::make_shared<RunFlags>();
    // Where set, a completed run whose target the group takes leaves it there, ready but not yet
    // on disk, and the run completes when the group commits it (a set of files). Otherwise the
    // run commits its target itself.
    CommitGroup* commitGroup = nullptr;
    // Where set, the target folder's names that may be leftovers, listed once for a set of files.
    LeftoverNames* leftoverNames = nullptr;
    // Where set, the key file, open for all the runs of a set of files, or for the head check and
    // the run of a window's decryption; otherwise the run opens keyFile itself. Shared, so that a
    // run on a thread of its own may outlive whoever opened it.
    std::shared_ptr<KeyFileReader> keyReader = nullptr;
    // Where set, the permission bits a new target does not get, learnt once for a set of files
    // (FileSystemCalls::CreationMask); otherwise the run asks the system.
    std::optional<unsigned> creationMask = std::nullopt;
    // Whoever drives the run found nothing at the target's path, not even a link, a moment ago: the
    // run does not look again. A target that appears meanwhile is not replaced by the new name
    // (which never replaces a file) but by the rename that follows, as any target the run found.
    bool targetSeenAbsent = false;
    // Encrypting: the format written. Decrypting, the source's first line tells.
    CipherFormat format = CipherFormat::Seed;
    // The age keys of the password and key file, derived once for every run that shares them (a
    // window's confirmed password, a set); or the identities of an age identity file. Where not
    // set, a run that needs them derives its own.
    std::shared_ptr<AgeKeys> ageKeys = nullptr;
};

// Sources longer than this many bytes run in progress mode.
inline constexpr long long kQuietRunLimit = 204800;

}  // namespace korvel
