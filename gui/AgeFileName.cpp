#include "AgeFileName.h"

#include "NativePath.h"
#include "queue/SourceGathering.h"

namespace korvel {

// The same rule as a set's targets: a final ".age" in any case, never a name that is only ".age".
bool AgeFileName::Has(const QString& path) {
    const std::filesystem::path native = ToFilesystemPath(path);
    return SourceGathering::TargetName(native, AgeSuffix::Drop) != native;
}

QString AgeFileName::Without(const QString& path) {
    static constexpr qsizetype kSuffixLength = 4;  // ".age"
    return Has(path) ? path.chopped(kSuffixLength) : path;
}

}  // namespace korvel
