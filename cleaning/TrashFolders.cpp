#include "TrashFolders.h"

#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

QByteArray withSlash(QByteArray path)
{
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

// ".Trash" or ".Trash-" followed by digits.
bool isTrashName(std::string_view name)
{
    if (name == ".Trash")
        return true;
    if (name.size() <= 7 || name.substr(0, 7) != ".Trash-")
        return false;
    return std::all_of(name.begin() + 7, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isFolder(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TrashFolders::TrashFolders(const QByteArray &homeTrash, const QList<QByteArray> &mountTops, uid_t uid)
    : m_home(withSlash(homeTrash)), m_tops(mountTops), m_uid(uid)
{
}

namespace {

std::optional<QList<QByteArray>> &testTops()
{
    static std::optional<QList<QByteArray>> tops;
    return tops;
}

} // namespace

void TrashFolders::setMountTopsForTests(std::optional<QList<QByteArray>> tops)
{
    testTops() = std::move(tops);
}

TrashFolders TrashFolders::ofThisUser()
{
    QList<QByteArray> tops;
    if (testTops())
        tops = *testTops();
    else
        for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
            tops.append(QFile::encodeName(volume.rootPath()));
    const QByteArray home = QFile::encodeName(QDir::cleanPath(QFile::decodeName(homeTrashFolder())));
    return TrashFolders(home, tops, ::getuid());
}

bool TrashFolders::isMountTop(std::string_view path) const
{
    if (path.empty())
        path = "/";
    return std::any_of(m_tops.begin(), m_tops.end(),
                       [path](const QByteArray &top) { return std::string_view(top.constData(), top.size()) == path; });
}

bool TrashFolders::contains(std::string_view folder) const
{
    const std::string_view home(m_home.constData(), std::size_t(m_home.size()));
    if (folder.size() >= home.size() ? folder.substr(0, home.size()) == home
                                     : folder.size() + 1 == home.size() && home.substr(0, folder.size()) == folder)
        return true;
    // A .Trash or .Trash-$uid folder at the top of a mount, or below one.
    for (std::size_t at = folder.find("/.Trash"); at != std::string_view::npos;
         at = folder.find("/.Trash", at + 1)) {
        const std::size_t end = folder.find('/', at + 1);
        const std::string_view name = folder.substr(at + 1, end == std::string_view::npos ? end : end - at - 1);
        if (isTrashName(name) && isMountTop(folder.substr(0, at)))
            return true;
    }
    return false;
}

QList<QByteArray> TrashFolders::own() const
{
    QList<QByteArray> folders;
    if (isFolder(m_home))
        folders.append(m_home);
    const QByteArray uid = QByteArray::number(m_uid);
    for (const QByteArray &top : m_tops) {
        const QByteArray base = top.endsWith('/') ? top : top + '/';
        for (const QByteArray &folder : {base + ".Trash/" + uid + '/', base + ".Trash-" + uid + '/'})
            if (!folders.contains(folder) && isFolder(folder.chopped(1)))
                folders.append(folder);
    }
    return folders;
}

} // namespace dm
