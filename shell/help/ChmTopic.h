#pragma once

#include <QString>
#include <vector>

namespace korvel {

// One entry of a help file's table of contents. A heading without a page has an empty path.
struct ChmTopic {
    QString name;
    QString path;
    std::vector<ChmTopic> children;
};

}  // namespace korvel
