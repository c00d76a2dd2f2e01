#include "AppFolder.h"

namespace dm {

QString appFolderOf(const QString &executablePath)
{
    const qsizetype slash = executablePath.lastIndexOf(u'/');
    QString folder;
    if (slash >= 0) {
        const bool keepSlash = slash == 0 || executablePath[slash - 1] == u'/';
        folder = executablePath.left(keepSlash ? slash + 1 : slash);
    }
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace dm
