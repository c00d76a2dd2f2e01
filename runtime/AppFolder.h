#pragma once
#include <QString>

namespace dm {

// The folder of an executable, with exactly one trailing "/": everything before
// the last "/", where a "/" that follows another "/" (or starts the path) stays
// part of the folder, so "/x" gives "/" and "/opt/dm/x" gives "/opt/dm/".
QString appFolderOf(const QString &executablePath);

// The running program's executable, from its real path as the kernel names
// it; empty when there is none or its bytes are not in the file-name
// encoding (a QString could not name it again).
QString executablePath();

// The folder of the program's own files (the starting catalog, the terms of
// use, the sound), with one trailing "/": beside the executable, or for an
// installed program (<prefix>/bin/<name> beside <prefix>/share/dustmote/)
// that share folder. Empty for an empty path.
QString programFolderOf(const QString &executablePath);

// Where the catalog is read and written: List.lst in appFolder while the user
// can write that folder (a build or a portable copy) and List.lst there is a
// regular file or missing; otherwise (an installed program's share folder,
// no appFolder, or a device node, FIFO or socket in List.lst's place)
// userCatalogPath(), seeded from appFolder's List.lst the first time.
QString catalogPathFor(const QString &appFolder);

// List.lst in the per-user data folder ($XDG_DATA_HOME/Dustmote/).
QString userCatalogPath();

} // namespace dm
