#pragma once
// The user's own folders as the desktop names them (XDG user directories).

#include "ShellNamespace.h"

namespace dm {

/// The desktop folder; the home folder where it does not exist, so the tree's
/// root always has a real path.
QString desktopFolder();

/// The home folder, then the other user folders that exist (documents,
/// downloads, music, pictures, videos, templates, public), each once and none
/// equal to `desktop`; captions and themed icons as a file manager shows them.
QList<TDmShellMount> userPlaces(const QString &desktop);

} // namespace dm
