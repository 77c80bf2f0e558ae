#pragma once

#include <QString>

namespace korvel {

// A file name that ends in ".age" (any case): what the encrypt window writes in the age format,
// and what a decryption drops from the name it suggests.
class AgeFileName {
public:
    static bool Has(const QString& path);
    // The path without its final ".age"; any other path as it is.
    static QString Without(const QString& path);
};

}  // namespace korvel
