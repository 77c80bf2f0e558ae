#pragma once

#include <filesystem>

#include "BinaryFile.h"

namespace korvel {

// The file a run writes into. It lies beside the target under a name that tells what it is, and
// takes the target's name only when CommitOver() succeeds; until then an existing target is not
// touched. Destroying an uncommitted one removes it.
class TemporaryTarget {
public:
    explicit TemporaryTarget(std::filesystem::path target);
    TemporaryTarget(const TemporaryTarget&) = delete;
    TemporaryTarget& operator=(const TemporaryTarget&) = delete;
    ~TemporaryTarget();

    // Failures name the target, the file the user asked for.
    void Write(const std::uint8_t* buffer, std::size_t count);
    const std::filesystem::path& Path() const { return path_; }

    // Flushes the written bytes to disk, closes the file and renames it over the target.
    void CommitOver();
    // Closes and removes the file; safe to call more than once.
    void Discard() noexcept;

    // The mark in every temporary file's name, e.g. "report.pdf.korvel-3fa2c1.part".
    static constexpr const char* kNameMark = ".korvel-";

private:
    static BinaryFile CreateBeside(const std::filesystem::path& target,
                                   std::filesystem::path& createdPath);

    std::filesystem::path target_;
    std::filesystem::path path_;
    BinaryFile file_;
    bool finished_ = false;
};

}  // namespace korvel
