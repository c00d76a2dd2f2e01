#pragma once
// Moving one file to the desktop's trash from any thread: the trash of the
// file's own mount, with the record of its original path and time that file
// managers read to restore it.

#include <QByteArray>
#include <sys/types.h>

namespace dm {

// 0 when path went to the trash; otherwise an errno value, or -3 when its
// mount has no trash (the file is then left where it is, never removed).
int trashFile(const QByteArray &path);

// The user's own trash folder (ending in "/"), where files on the home
// folder's device go, and that device (0 when unknown). GLib reads the home
// and data folders once per process.
struct HomeTrash
{
    QByteArray folder;
    dev_t homeDevice = 0;
};
HomeTrash homeTrash();

} // namespace dm
