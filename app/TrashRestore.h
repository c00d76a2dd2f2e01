#pragma once
// The way back from a deletion to the trash: where each file of the last such
// deletion went is kept per user (a small file beside the user's catalog, not
// the settings store, which every statistics change rewrites whole), and a
// restore moves each one back to where it was, never over anything that is
// there now.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

namespace dm {

struct TrashedFile
{
    QByteArray path;  // where it was
    QByteArray trash; // the trash folder it went to, ending in "/"
    QByteArray name;  // its name in that trash's files/
};

using TrashRecord = std::vector<TrashedFile>;

// $XDG_DATA_HOME/Dustmote/LastDeletion.
QString trashRecordFile();
// Replaces the record atomically; an empty record removes it. False when it
// could not be written.
bool saveTrashRecord(const TrashRecord &record);
// Whether there is a record to restore from, without reading it.
bool hasTrashRecord();
// The record of the last deletion to the trash; nothing when there is none
// or it cannot be read.
std::optional<TrashRecord> loadTrashRecord();

struct RestoreFailure
{
    TrashedFile file;
    int error = 0; // EEXIST: something is in its place; ENOENT: no longer in the trash
};

struct RestoreOutcome
{
    std::size_t restored = 0;
    std::vector<RestoreFailure> failures;
};

// Moves every file of the record back from the trash, creating missing
// folders; `done` counts the files handled.
RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done = nullptr);

// The report of the files that could not be restored, in the user's words.
QString RestoreReport(const std::vector<RestoreFailure> &failures);

} // namespace dm
