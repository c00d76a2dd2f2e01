#pragma once
// A clean without a window: the catalog's types searched for below the
// folders given, the keep list and the trash left out, files older than the
// age limit; listed (--preview) or deleted by the same pass as the window's,
// to the trash with the same way back, counted in the same statistics.

#include "CleanOptions.h"

#include <atomic>
#include <cstdio>

namespace dm {

enum CleanExit { kCleanDone = 0, kCleanSomeFailed = 1, kCleanUsage = 2, kCleanStopped = 130 };

struct CleanIo
{
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    // A progress line on err, rewritten in place: only on a terminal.
    bool progress = false;
    int columns = 80;
    // The catalog's path (the window's: catalogPathFor the program's folder).
    QString catalogPath;
};

// Text for the user in the locale's encoding; sayLine ends it with a line break.
void say(std::FILE *f, const QString &text);
void sayLine(std::FILE *f, const QString &text);

// Runs a clean (or --list-types); returns its exit code. `stop` (set by
// Ctrl+C) ends the scan, or the deletion after the current file.
int RunClean(const CleanOptions &options, const CleanIo &io, const std::atomic<bool> &stop);

} // namespace dm
