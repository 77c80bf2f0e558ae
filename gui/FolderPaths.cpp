#include "FolderPaths.h"

namespace korvel {

QString PathInFolder(const QString& folder, const QString& fileName) {
    if (folder.endsWith(u'/') || folder.endsWith(u'\\')) return folder + fileName;
    return folder + u'/' + fileName;
}

}  // namespace korvel
