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

#include "FileVersion.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QHash>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_map>

namespace dm {

class TrashNotes;

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
    // notes, when given, hears of the file before it moves.
    int put(int dirFd, const QByteArray &name, const QByteArray &path, Placed *placed,
            TrashNotes *notes = nullptr);

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

// Hears of each file before the trash can moves it, and again when the move
// did not happen: whoever keeps the way back must know of every file that
// may have gone, also when the program is killed in the middle.
class TrashNotes
{
public:
    virtual ~TrashNotes() = default;
    virtual void moving(const QByteArray &path, const TrashCan::Placed &placed, const FileVersion &version) = 0;
    virtual void notMoved(const TrashCan::Placed &placed) = 0;
};

// The user's own trash folder, ending in "/".
QByteArray homeTrashFolder();

// Whether `.Trash` at a mount's top, as lstat describes it, may hold the
// trash of user uid: a folder (never a link) with the sticky bit, owned by
// root or by that user. Whoever else owned it could swap the user's folder
// inside for one of their own.
bool sharedTrashUsable(const struct stat &st, uid_t uid);

// A trash folder's files/ and info/, open (O_PATH).
struct TrashBinFolders
{
    UniqueFd files, info;
};

// Opens a trash folder (ending in "/") of one of the three layouts: the home
// trash (to open only: any data folder's "Trash/"), "$top/.Trash/$uid/"
// below a shared trash that sharedTrashUsable accepts, or "$top/.Trash-$uid/". Every folder from the data folder or the
// mount's top down is reached without following links and must be the
// user's own and not writable by others; missing ones are made when create.
// 0, an errno value, or kTrashNotOwn.
int openTrashFolders(const QByteArray &folder, bool create, TrashBinFolders *out);

// The top of the mount that holds an existing folder (no trailing "/").
QByteArray mountTopOf(const QByteArray &folder);

// For a mount's trash folder (ending in "/"), the mount's top its records
// are relative to; empty for the home trash, whose records hold full paths.
QByteArray trashTop(const QByteArray &folder);

} // namespace dm
