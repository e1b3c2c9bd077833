#include "settings/FolderAccess.h"

#include <QFileInfo>

// A folder's write permission is the right to add and remove its entries;
// QFileInfo asks access(2), so root and the groups of this user count.
bool FolderAccess::takesNewFiles(const QString &folder)
{
    return QFileInfo(folder).isWritable();
}
