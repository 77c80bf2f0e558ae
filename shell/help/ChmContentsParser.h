#pragma once

#include <QString>
#include <vector>

#include "ChmTopic.h"

namespace korvel {

// Reads the table of contents (.hhc sitemap) of a help project: nested <UL> lists of
// <OBJECT type="text/sitemap"> entries, each with "Name" and "Local" parameters.
class ChmContentsParser {
public:
    static std::vector<ChmTopic> Parse(const QString& sitemap);
};

}  // namespace korvel
