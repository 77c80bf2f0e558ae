#include "LeftoverNames.h"

#include <system_error>

namespace korvel {

namespace fs = std::filesystem;

std::vector<fs::path> LeftoverNames::List(const fs::path& folder) {
    const fs::path::string_type mark = fs::path(kNameMark).native();
    std::vector<fs::path> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        fs::path name = it->path().filename();
        if (name.native().find(mark) != fs::path::string_type::npos)
            names.push_back(std::move(name));
    }
    return names;
}

const std::vector<fs::path>& LeftoverNames::In(const fs::path& folder) {
    if (!listed_ || folder.native() != folder_.native()) {
        names_ = List(folder);
        folder_ = folder;
        listed_ = true;
    }
    return names_;
}

}  // namespace korvel
