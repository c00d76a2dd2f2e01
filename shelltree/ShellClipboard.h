#pragma once
// Folders on the clipboard and in drag and drop, in the formats desktop file
// managers exchange: a URI list, plus the copied-files record that tells a
// cut from a copy, so that a folder cut here can be pasted in a file manager
// and the other way round.

#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace dm {

/// Mime data naming the folders at `paths`, marked as cut or copied.
std::unique_ptr<QMimeData> shellMimeData(const QStringList &paths, bool cut);

/// What a paste or drop brings: its items (local paths, or URIs of other
/// locations) and whether they were cut.
struct ShellClipItems
{
    QStringList sources;
    bool cut = false;
};

/// The items `data` names; none when it names no files.
ShellClipItems shellClipItems(const QMimeData *data);

} // namespace dm
