#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace korvel {

enum class EntryState { Waiting, Working, Done, Skipped, Failed };

// One file of a set: where it is read, where it is written, and how far it got.
struct QueueEntry {
    std::filesystem::path source;
    std::filesystem::path target;
    std::uint64_t size = 0;  // the source's length when the set was gathered
    EntryState state = EntryState::Waiting;
    std::string reason;      // Skipped and Failed: why, in the user's words
    bool doubted = false;    // decrypted although its head did not look right
    bool notOpened = false;  // Failed: an age file that no stanza opened with the set's keys
};

}  // namespace korvel
