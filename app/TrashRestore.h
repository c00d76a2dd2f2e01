#pragma once
// The way back from a deletion to the trash: what the last such deletion
// moved there is kept per user (a small file beside the user's catalog, not
// the settings store, which every statistics change rewrites whole), and a
// restore finds each file by the record the trash keeps of it and moves it
// back to where it was, never over anything that is there now.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace dm {

struct TrashRecord
{
    // The deletion's first and last second (POSIX), which tell its records
    // in the trash from older ones of the same path.
    std::int64_t started = 0, ended = 0;
    std::vector<QByteArray> paths; // original full paths
};

// $XDG_DATA_HOME/Dustmote/LastDeletion.
QString trashRecordFile();
// Replaces the record atomically; an empty record removes it. False when it
// could not be written.
bool saveTrashRecord(const TrashRecord &record);
// The record of the last deletion to the trash; nothing when there is none
// or it cannot be read.
std::optional<TrashRecord> loadTrashRecord();

struct RestoreFailure
{
    QByteArray path;
    int error = 0; // EEXIST: something is in its place; ENOENT: no longer in the trash
};

struct RestoreOutcome
{
    std::size_t restored = 0;
    std::vector<RestoreFailure> failures;
};

// Moves every file of the record back from the trash of its mount, creating
// missing folders; `done` counts the paths handled, `stop` ends it early.
RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done = nullptr,
                                const std::atomic<bool> *stop = nullptr);

// Why a file could not be restored, in the user's words, and the report.
QString RestoreReport(const std::vector<RestoreFailure> &failures);

} // namespace dm
