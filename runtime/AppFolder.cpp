#include "AppFolder.h"

#include "FileStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>
#include <unistd.h>

namespace dm {

namespace {

const QString kListFile = QStringLiteral("List.lst");

} // namespace

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

QString executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer))
        return {};
    const QByteArray bytes(buffer, n);
    const QString path = QFile::decodeName(bytes);
    return QFile::encodeName(path) == bytes ? path : QString();
}

QString programFolderOf(const QString &executablePath)
{
    if (executablePath.isEmpty())
        return {};
    const QString folder = appFolderOf(executablePath);
    if (folder.endsWith(QStringLiteral("/bin/"))) {
        const QString share = folder.chopped(4) + QStringLiteral("share/dustmote/");
        if (QFileInfo(share).isDir())
            return share;
    }
    return folder;
}

QString catalogPathFor(const QString &appFolder)
{
    // An installed program's folder belongs to the package, even for a user
    // who could write it.
    const bool installed = appFolder.endsWith(QStringLiteral("/share/dustmote/"));
    if (!appFolder.isEmpty() && !installed
        && ::access(QFile::encodeName(appFolder).constData(), W_OK | X_OK) == 0
        && !isSpecialFile(appFolder + kListFile))
        return appFolder + kListFile;
    const QString path = userCatalogPath();
    // Only a regular file is copied: opening a FIFO would wait for ever.
    if (!QFileInfo::exists(path) && !appFolder.isEmpty() && QFileInfo(appFolder + kListFile).isFile()) {
        // The shipped catalog comes along; a copy that fails leaves the
        // first load to say that there is no list.
        QDir().mkpath(QFileInfo(path).path());
        QFile::copy(appFolder + kListFile, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
    return path;
}

QString userCatalogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Dustmote/") + kListFile;
}

} // namespace dm
