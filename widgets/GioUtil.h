#pragma once
// Small helpers shared by the files that call GIO. Include before any Qt
// header: GIO's headers use a struct member named `signals`.

#include <gio/gio.h>

#include <QFile>
#include <QString>

namespace dm::gio {

/// A GFile for a local path ("/...") or a URI; the caller unrefs it.
inline GFile *fileFor(const QString &pathOrUri)
{
    if (pathOrUri.startsWith(u'/'))
        return g_file_new_for_path(QFile::encodeName(pathOrUri).constData());
    return g_file_new_for_uri(pathOrUri.toUtf8().constData());
}

/// The error's text (empty for none), freeing the error.
inline QString takeError(GError *error)
{
    if (!error)
        return {};
    const QString text = QString::fromUtf8(error->message);
    g_error_free(error);
    return text;
}

} // namespace dm::gio
