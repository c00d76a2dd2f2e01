#pragma once
// Small helpers shared by the files that call GIO. Include before any Qt
// header: GIO's headers use a struct member named `signals`.

#include "GioLazy.h"

#include "ErrorTexts.h"

#include <QFile>
#include <QString>
#include <cerrno>

namespace dm::gio {

/// A GFile for a local path ("/...") or a URI; the caller unrefs it.
inline GFile *fileFor(const QString &pathOrUri)
{
    if (pathOrUri.startsWith(u'/'))
        return g_file_new_for_path(QFile::encodeName(pathOrUri).constData());
    return g_file_new_for_uri(pathOrUri.toUtf8().constData());
}

/// The errno value a GIO error stands for where the program words the
/// reason itself; 0 for every other error.
inline int errnoOf(const GError *error)
{
    if (!error || error->domain != G_IO_ERROR)
        return 0;
    switch (error->code) {
    case G_IO_ERROR_PERMISSION_DENIED: return EACCES;
    case G_IO_ERROR_READ_ONLY: return EROFS;
    case G_IO_ERROR_BUSY: return EBUSY;
    case G_IO_ERROR_NOT_FOUND: return ENOENT;
    case G_IO_ERROR_EXISTS: return EEXIST;
    case G_IO_ERROR_NO_SPACE: return ENOSPC;
    case G_IO_ERROR_FILENAME_TOO_LONG: return ENAMETOOLONG;
    case G_IO_ERROR_NOT_DIRECTORY: return ENOTDIR;
    case G_IO_ERROR_IS_DIRECTORY: return EISDIR;
    default: return 0;
    }
}

/// The error's reason in the program's words (GIO's own message, in the
/// locale's language, for errors it has no words for); empty for none.
/// Frees the error.
inline QString takeError(GError *error)
{
    if (!error)
        return {};
    const int err = errnoOf(error);
    const QString text = err ? dm::systemErrorText(err) : QString::fromUtf8(error->message);
    g_error_free(error);
    return text;
}

} // namespace dm::gio
