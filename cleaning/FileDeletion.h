#pragma once
// Removing found files: only the very version of the entry the scan found,
// never a folder, never through a symbolic link (neither the entry nor any
// folder between the scanned folder and it), and a report of what could not
// be removed.

#include "FileVersion.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

namespace dm {

// Reasons of our own, beside errno values (which are positive).
enum DeletionError : int {
    kFolderGone = -1,     // the file's folder is no longer there
    kFolderReplaced = -2, // a folder on the way is now a link or another folder
    kNoTrash = -3,        // the file's disk has no trash
    kTrashNotOwn = -4,    // a trash folder is a link, or someone else's
    kNotTrashed = -5,     // the file in the trash is not the one moved there
};

// The folder a scan searched, as the deletion finds it again: its path
// (normalised, ending in "/") and which folder it was when the scan began.
struct ScanRoot
{
    QByteArray folder;
    std::uint64_t device = 0, inode = 0; // 0 and 0: not known

    // path as the scan was given it; the folder's identity read now.
    static ScanRoot of(const QByteArray &path);
};

// Finds found entries again, one after the other, from the scanned folder
// down without following links, keeping the last folder open so that a run
// of files in one folder costs two calls each.
class FoundEntryRemover
{
public:
    // Without a root (no scan), folders are walked from "/".
    explicit FoundEntryRemover(ScanRoot root = {});
    ~FoundEntryRemover();
    FoundEntryRemover(const FoundEntryRemover &) = delete;
    FoundEntryRemover &operator=(const FoundEntryRemover &) = delete;

    // Whether name in folder (bytes, folder ending in "/") still is the
    // version found (a version with device and inode 0: any entry but a
    // folder). 0 when it is; otherwise ENOENT when it is gone, EISDIR when
    // the name now is a folder, ESTALE when it names another file, or a
    // DeletionError of the folder.
    int check(const QByteArray &folder, const QByteArray &name, const FileVersion &version);
    // check, then removes it: 0 when removed, otherwise as check or errno.
    int remove(const QByteArray &folder, const QByteArray &name, const FileVersion &version);
    // After a check that found the file: its open folder.
    int folderFd() const { return m_fd ? m_fd.get() : m_rootFd.get(); }

private:
    int openFolder(const QByteArray &folder);

    ScanRoot m_root;
    UniqueFd m_rootFd;
    int m_rootError = 0;
    QByteArray m_folder;
    UniqueFd m_fd;
    int m_folderError = 0;
};

struct DeletionFailure
{
    QString path;
    int error = 0; // as FoundEntryRemover::remove returns it
};

// Why an entry could not be removed, in the user's words.
QString DeletionReason(int error);

// A report of files an operation could not handle: the heading, then for the
// first kReportedFailures the path and the reason given by `line`, then how
// many more there were.
inline constexpr qsizetype kReportedFailures = 10;
QString FailureReport(const QString &heading, qsizetype count,
                      const std::function<std::pair<QString, QString>(qsizetype)> &line);

// The report after a deletion: how many files could not be deleted and, for
// the first ten, the path and the reason.
QString DeletionReport(const QList<DeletionFailure> &failures);

} // namespace dm
