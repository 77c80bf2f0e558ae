#pragma once

#include <QString>

namespace korvel {

// Turns a file-dialog filter of the form "description|pattern|description|pattern" into Qt's
// "description (pattern);;..." form. Entries with an empty pattern offer nothing and are dropped;
// "*.*" means every file, which Qt spells "*" on platforms where names need not hold a dot.
QString ToQtFilter(const QString& pipeFilter);

}  // namespace korvel
