#pragma once
// Where the desktop's trash folders are: the home trash ($XDG_DATA_HOME/Trash)
// and, at the top of every mount, the shared .Trash (with a folder per user)
// and the users' own .Trash-$uid. A scan never walks into any of them: a file
// in the trash is the trash's business, and "deleting" it would leave the
// trash's own record pointing at nothing.

#include <QByteArray>
#include <QList>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace dm {

class TrashFolders
{
public:
    TrashFolders() = default;
    // homeTrash: the home trash folder; mountTops: the tops of the mounts
    // ("/" for the root), each without a final "/" but the root's.
    TrashFolders(const QByteArray &homeTrash, const QList<QByteArray> &mountTops, uid_t uid);
    // This user's, with the mounts as they are now.
    static TrashFolders ofThisUser();
    // Tests: the mount tops ofThisUser takes instead of the system's, so that
    // no test reaches the trash of a real volume; nothing restores them.
    static void setMountTopsForTests(std::optional<QList<QByteArray>> tops);

    // Whether a folder (as the walk reports it, ending in "/") is a trash
    // folder or lies in one. Cheap for the folders that are not: one search
    // for "/.Trash" in the path and one comparison with the home trash.
    bool contains(std::string_view folder) const;

    // The user's own trash folders that exist now, each ending in "/": the
    // home trash, then $top/.Trash/$uid and $top/.Trash-$uid of each mount.
    QList<QByteArray> own() const;

private:
    bool isMountTop(std::string_view path) const;

    QByteArray m_home; // ending in "/"
    QList<QByteArray> m_tops;
    uid_t m_uid = 0;
};

} // namespace dm
