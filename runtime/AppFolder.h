#pragma once
#include <QString>

namespace dm {

// The folder of an executable, with exactly one trailing "/": everything before
// the last "/", where a "/" that follows another "/" (or starts the path) stays
// part of the folder, so "/x" gives "/" and "/opt/dm/x" gives "/opt/dm/".
QString appFolderOf(const QString &executablePath);

} // namespace dm
