#pragma once
// Opening a document or an address with the desktop's program for it. Failures
// are not reported to the user; callers get the result where they need it.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace dm {

bool shellOpen(const QUrl &url);

// Replaces the desktop call (tests); an empty handler restores it.
using ShellHandler = std::function<bool(const QUrl &)>;
ShellHandler setShellHandler(ShellHandler handler);

// Called on the main thread when the opener ended without opening the file,
// with its exit status (xdg-open: 2 no such file, 3 no program for it, 4 the
// program failed).
using OpenFailed = std::function<void(int status)>;

// Opens the file `name` in `folder`, both exactly the bytes the file system
// holds (a name need not be valid UTF-8), with the desktop's opener
// (xdg-open) running in that folder. Returns whether the opener started;
// `failed` hears later when it could not open the file.
bool shellOpenFile(const QByteArray &folder, const QByteArray &name, OpenFailed failed = {});

// Why a file could not be opened, for a message: from the opener's exit
// status, or kOpenerMissing when it did not start.
inline constexpr int kOpenerMissing = -1;
QString openFailureReason(int status);

// Replaces the opener (tests); an empty one restores it.
using FileOpener = std::function<bool(const QByteArray &folder, const QByteArray &name)>;
FileOpener setFileOpener(FileOpener opener);

} // namespace dm
