#pragma once

#include <filesystem>
#include <vector>

namespace korvel {

// The names in a folder that may be leftovers of runs that died: those with the temporary
// files' mark. Each run sweeps its target's leftovers from them (TemporaryTarget).
class LeftoverNames {
public:
    // The mark in every temporary file's name, e.g. "report.pdf.korvel-3fa2c1.part".
    static constexpr const char* kNameMark = ".korvel-";

    // Lists the folder now; names that cannot be listed are left out.
    static std::vector<std::filesystem::path> List(const std::filesystem::path& folder);

    // The same for runs one after another into a folder (a set of files), listed again only when
    // another folder is asked for. A set writes thousands of files into one folder, and listing it
    // for each would cost time that grows with the square of their number. A leftover that comes
    // after the listing, of another program's run that dies meanwhile, is swept by a later run.
    const std::vector<std::filesystem::path>& In(const std::filesystem::path& folder);

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> names_;
    bool listed_ = false;
};

}  // namespace korvel
