#pragma once
// Moving found files to the desktop's trash, laid out as file managers expect
// it: the trash of the file's own mount ($XDG_DATA_HOME/Trash for the home's,
// $top/.Trash/$uid or $top/.Trash-$uid on another), a record in info/ of the
// original path and the time, and the file itself in files/ under the same
// free name.
//
// Written here rather than handed to GIO's g_file_trash, which looks for a
// free name by trying "f.tmp", "f.2.tmp", "f.3.tmp" ... afresh for every file
// (5,000 files of one name cost 12 million tries), reaches the file by its
// path through any link, and does not say where the file went, which the way
// back needs.

#include "UniqueFd.h"

#include <QByteArray>
#include <QHash>
#include <sys/types.h>
#include <unordered_map>

namespace dm {

class TrashCan
{
public:
    // Where a file went: its trash folder (ending in "/") and its name in
    // files/ there (info/ holds name + ".trashinfo").
    struct Placed
    {
        QByteArray trash;
        QByteArray name;
    };

    TrashCan();
    ~TrashCan();
    TrashCan(const TrashCan &) = delete;
    TrashCan &operator=(const TrashCan &) = delete;

    // Moves entry `name` of the open folder dirFd, whose full path is
    // `path`, to the trash. 0, or an errno value, or kNoTrash when its mount
    // has no trash the user may use: the file then stays where it is.
    int put(int dirFd, const QByteArray &name, const QByteArray &path, Placed *placed);

private:
    struct Bin
    {
        QByteArray folder; // ending in "/"; empty: no trash on this mount
        QByteArray top;    // the mount's top, for the relative paths of its records
        UniqueFd files, info;
    };
    Bin &binFor(dev_t device, const QByteArray &path);
    Bin open(const QByteArray &folder, const QByteArray &top);

    std::unordered_map<dev_t, Bin> m_bins;
    QHash<QByteArray, int> m_nextNumber; // per trash folder and name: where to go on trying
};

// The user's own trash folder, ending in "/".
QByteArray homeTrashFolder();

} // namespace dm
