#pragma once
#include <QString>

namespace dm {

// The error box's rule: a full stop is appended only when the message's last
// character comes after the full stop in code page 1251 (a letter or a digit,
// but not a quote, a bracket or an exclamation mark). Characters the code page
// does not hold count by their Unicode position.
QString withFullStop(const QString &message);

// Why a file operation failed, in the program's language: a Russian text for
// the failures that deleting, renaming, copying, moving or trashing commonly
// meets (permission, read-only file system, busy, missing, existing, no
// space, name too long, not a folder, a folder, too large, too many open
// files, too many links, an input/output error), the system's own
// description for any other errno value.
QString systemErrorText(int err);

// The C library's description of an errno value, in the locale's language:
// what the toolkit's own English messages quote.
QString libraryErrorText(int err);

} // namespace dm
