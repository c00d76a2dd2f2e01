#pragma once
// Folder operations never cross into another mounted file system: deleting a
// folder that holds a mount point would empty the mounted file system, and
// trashing or moving it would carry a live mount along. This tells whether a
// folder holds one, from the kernel's own table of this process's mounts.

#include <QString>

namespace dm {

// The first mount point at or below folder (folder itself included; links
// in its path resolved), or empty when there is none. A folder that is itself
// a symbolic link holds none: the operations act on the link alone.
QString mountPointWithin(const QString &folder);

// The refusal for doing `what` ("удалить", "переместить в корзину",
// "переместить") to folder, naming the mount; empty when folder holds none.
QString mountRefusal(const QString &folder, const QString &what);

} // namespace dm
