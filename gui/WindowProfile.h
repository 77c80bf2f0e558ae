#pragma once

#include <QString>
#include <optional>

#include "cipher/Direction.h"

namespace korvel {

// The window-wide settings in which the encrypt and the decrypt window differ. Where their
// controls differ is in the control table.
struct WindowProfile {
    Direction direction;
    QString formName;
    QString caption;
    QString bannerResource;
    // Filters set on the dialog object before an Open or a Save; nothing means left alone.
    std::optional<QString> openFilter;
    std::optional<QString> saveFilter;

    static WindowProfile Encrypt();
    static WindowProfile Decrypt();
};

}  // namespace korvel
