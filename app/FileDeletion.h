#pragma once
// Removing found files: only the very entry the scan found, never a folder,
// never through a symbolic link, and a report of what could not be removed.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace dm {

// Removes found entries one after the other, keeping the last folder open so
// that a run of files in one folder costs two calls each.
class FoundEntryRemover
{
public:
    FoundEntryRemover() = default;
    ~FoundEntryRemover();
    FoundEntryRemover(const FoundEntryRemover &) = delete;
    FoundEntryRemover &operator=(const FoundEntryRemover &) = delete;

    // Removes name in folder (bytes, folder ending in "/") if it still is the
    // entry of that device and inode (0 and 0: any entry but a folder). 0
    // when removed; otherwise an errno value: ENOENT when it is gone already,
    // EISDIR when the name now is a folder, ESTALE when it names another entry.
    int remove(const QByteArray &folder, const QByteArray &name, std::uint64_t volumeId,
               std::uint64_t fileId);

private:
    QByteArray m_folder;
    int m_fd = -1;
};

struct DeletionFailure
{
    QString path;
    int error = 0; // errno value as FoundEntryRemover::remove returns it
};

// Why an entry could not be removed, in the user's words.
QString DeletionReason(int error);

// The report after a deletion: how many files could not be deleted and, for
// the first ten, the path and the reason.
QString DeletionReport(const QList<DeletionFailure> &failures);

} // namespace dm
