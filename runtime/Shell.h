#pragma once
// Opening a document or an address with the desktop's program for it. Failures
// are not reported to the user; callers get the result where they need it.

#include <QUrl>
#include <functional>

namespace dm {

bool shellOpen(const QUrl &url);

// Replaces the desktop call (tests); an empty handler restores it.
using ShellHandler = std::function<bool(const QUrl &)>;
ShellHandler setShellHandler(ShellHandler handler);

} // namespace dm
