#pragma once
// Opening a document or an address with the desktop's program for it. Failures
// are not reported to the user; callers get the result where they need it.

#include <QByteArray>
#include <QUrl>
#include <functional>

namespace dm {

bool shellOpen(const QUrl &url);

// Replaces the desktop call (tests); an empty handler restores it.
using ShellHandler = std::function<bool(const QUrl &)>;
ShellHandler setShellHandler(ShellHandler handler);

// Opens the file `name` in `folder`, both exactly the bytes the file system
// holds (a name need not be valid UTF-8), with the desktop's opener
// (xdg-open) running in that folder. Returns whether the opener started.
bool shellOpenFile(const QByteArray &folder, const QByteArray &name);

// Replaces the opener (tests); an empty one restores it.
using FileOpener = std::function<bool(const QByteArray &folder, const QByteArray &name)>;
FileOpener setFileOpener(FileOpener opener);

} // namespace dm
