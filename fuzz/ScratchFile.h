#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace korvel {

// A file in the temporary folder (scripts/fuzz.sh points TMPDIR at a tmpfs) that a target rewrites
// with each input, for readers that take a path rather than bytes. Removed when destroyed.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's content; throws std::runtime_error when it cannot be written.
    void Write(std::span<const std::uint8_t> bytes) const;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace korvel
