#pragma once
// The way back from a deletion to the trash: where each file of the last such
// deletion went is kept per user (a small file beside the user's catalog, not
// the settings store, which every statistics change rewrites whole), and a
// restore moves each one back to where it was, never over anything that is
// there now.
//
// The record is written as the deletion goes, each file noted before it
// moves, so that after a kill the restore still knows of every file that may
// have gone. Each file's identity is kept with it: the restore moves back
// only the very file that went, reaching the trash and the original folder
// by descriptors without following links (from the home folder, or the top
// of the mount the file lay on), so that nobody who can write a folder on
// the way can redirect it.

#include "FileVersion.h"
#include "Trash.h"

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
    // The file as it was moved (its change time aside, which the move itself
    // changes); all 0 in a record of an older version, which did not keep it.
    FileVersion version;
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

// Notes a deletion's files in a new record as they go (see TrashNotes): the
// record replaces the last one when the first file is noted. Notes come from
// the deletion's thread; sync may be called from another.
class TrashRecordWriter : public TrashNotes
{
public:
    TrashRecordWriter() = default;
    ~TrashRecordWriter() override;
    TrashRecordWriter(const TrashRecordWriter &) = delete;
    TrashRecordWriter &operator=(const TrashRecordWriter &) = delete;

    void moving(const QByteArray &path, const TrashCan::Placed &placed, const FileVersion &version) override;
    void notMoved(const TrashCan::Placed &placed) override;
    // Puts what was noted so far on the disk.
    void sync();
    // Whether every note reached the record (nothing noted counts as kept).
    bool kept() const { return !m_failed.load(std::memory_order_relaxed); }

private:
    void append(const QByteArray &line);

    bool m_started = false;
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_failed{false};
};

struct RestoreFailure
{
    TrashedFile file;
    // EEXIST: something is in its place; ENOENT: no longer in the trash;
    // kFolderReplaced: a folder on the way is now a link or no folder;
    // kTrashNotOwn, kNotTrashed: the trash or the file there is not the
    // user's; or another errno value.
    int error = 0;
};

struct RestoreOutcome
{
    std::size_t restored = 0;
    std::vector<RestoreFailure> failures;
};

// Moves every file of the record back from the trash, creating missing
// folders; `done` counts the files handled. A file found back in its place
// already (a restore or a deletion killed midway) counts as neither restored
// nor failed; its leftover trash record is removed.
RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done = nullptr);

// The report of the files that could not be restored, in the user's words.
QString RestoreReport(const std::vector<RestoreFailure> &failures);

} // namespace dm
