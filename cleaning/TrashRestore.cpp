#include "TrashRestore.h"

#include "ErrorTexts.h"
#include "FileDeletion.h"
#include "UniqueFd.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>

namespace dm {

namespace {

constexpr char kInfoSuffix[] = ".trashinfo";
constexpr int kAlreadyBack = -100; // found in its place: nothing to do

// The same file as the one moved: its change time aside, which the move
// itself sets.
bool sameFile(const FileVersion &recorded, const struct stat &st)
{
    FileVersion now = FileVersion::of(st);
    now.changed = 0;
    now.changedNanos = 0;
    return now == recorded;
}

// Moves the files of a record back, keeping open what a run of files shares:
// each trash folder, and the last original folder.
class Restorer
{
public:
    int moveBack(const TrashedFile &f);

private:
    struct Trash
    {
        int error = 0;
        TrashBinFolders folders;
        QByteArray anchor; // where the way to its files' folders starts
    };
    Trash &trashOf(const QByteArray &folder);
    int openFolder(const Trash &trash, const QByteArray &folder, bool create);
    // Whether the trash's record of the file names its original path (or,
    // with orEmpty, is empty: made, and killed before it was written).
    bool recordNames(const Trash &trash, const TrashedFile &f, bool orEmpty = false);
    int reachAnchor(const QByteArray &anchor, int *fd);

    std::map<QByteArray, Trash> m_trashes;
    std::map<QByteArray, UniqueFd> m_anchors;
    QByteArray m_folder; // the original folder last opened, and its descriptor
    UniqueFd m_folderFd;
    const QByteArray m_home = QFile::encodeName(QDir::homePath());
};

Restorer::Trash &Restorer::trashOf(const QByteArray &folder)
{
    const auto it = m_trashes.find(folder);
    if (it != m_trashes.end())
        return it->second;
    Trash trash;
    trash.error = openTrashFolders(folder, false, &trash.folders);
    // A mount's trash holds files of that mount only; the home trash those
    // of the home's mount, best reached from the home itself.
    trash.anchor = trashTop(folder);
    if (trash.anchor.isEmpty() && trash.error == 0)
        trash.anchor = mountTopOf(folder.chopped(1));
    return m_trashes.emplace(folder, std::move(trash)).first->second;
}

int Restorer::reachAnchor(const QByteArray &anchor, int *fd)
{
    auto it = m_anchors.find(anchor);
    if (it == m_anchors.end())
        it = m_anchors.emplace(anchor, UniqueFd(::open(anchor.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))).first;
    *fd = it->second.get();
    return *fd >= 0 ? 0 : kFolderGone;
}

// The original folder, reached from the home or the mount's top one folder
// at a time, never through a link, so that any depth works; missing folders
// are made on the way when create.
int Restorer::openFolder(const Trash &trash, const QByteArray &folder, bool create)
{
    if (m_folderFd && folder == m_folder)
        return 0;
    m_folderFd.reset();
    const bool inHome = m_home.size() > 1 && folder.startsWith(m_home + '/');
    const QByteArray anchor = inHome ? m_home : trash.anchor;
    const QByteArray prefix = anchor == "/" ? anchor : anchor + '/';
    if (!folder.startsWith(prefix) && folder != anchor)
        return kFolderReplaced; // never on the trash's mount
    int anchorFd = -1;
    if (const int error = reachAnchor(anchor, &anchorFd))
        return error;
    UniqueFd fd(::fcntl(anchorFd, F_DUPFD_CLOEXEC, 0));
    for (const QByteArray &step : folder.mid(prefix.size()).split('/')) {
        if (!fd)
            return errno;
        if (step.isEmpty() || step == ".")
            continue;
        if (step == "..")
            return kFolderReplaced;
        int next = ::openat(fd.get(), step.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(fd.get(), step.constData(), 0777) != 0 && errno != EEXIST)
                return errno;
            next = ::openat(fd.get(), step.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0)
            return errno == ENOENT ? int(kFolderGone)
                : (errno == ELOOP || errno == ENOTDIR) ? int(kFolderReplaced)
                                                       : errno;
        fd.reset(next);
    }
    m_folder = folder;
    m_folderFd = std::move(fd);
    return 0;
}

// A record made since by another program for the same name must not send
// that file here.
bool Restorer::recordNames(const Trash &trash, const TrashedFile &f, bool orEmpty)
{
    const UniqueFd fd(::openat(trash.folders.info.get(), (f.name + kInfoSuffix).constData(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    char buffer[16384];
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0)
        return orEmpty;
    for (const QByteArray &line : QByteArray(buffer, n > 0 ? n : 0).split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        const QByteArray path = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
        return path.startsWith('/') ? path == f.path : f.path.endsWith('/' + path);
    }
    return false;
}

int Restorer::moveBack(const TrashedFile &f)
{
    Trash &trash = trashOf(f.trash);
    if (trash.error)
        return trash.error == ENOENT ? ENOENT : trash.error;
    const bool known = f.version.device || f.version.inode;
    const qsizetype slash = f.path.lastIndexOf('/');
    const QByteArray folder = f.path.left(slash + 1), name = f.path.mid(slash + 1);
    const QByteArray infoName = f.name + kInfoSuffix;
    struct stat st;
    if (::fstatat(trash.folders.files.get(), f.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return errno;
        // Back in its place already (a restore killed after the move), or
        // never moved (a deletion killed before it): only its trash record
        // may be left over.
        struct stat there;
        if (known && openFolder(trash, folder, false) == 0
            && ::fstatat(m_folderFd.get(), name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0
            && sameFile(f.version, there)) {
            if (recordNames(trash, f, true))
                ::unlinkat(trash.folders.info.get(), infoName.constData(), 0);
            return kAlreadyBack;
        }
        return ENOENT;
    }
    // Only the very file that went: an older record, without its identity,
    // at least asks for a file of the user's that the trash's record names.
    if (known ? !sameFile(f.version, st) : (st.st_uid != ::getuid() || !recordNames(trash, f)))
        return kNotTrashed;
    if (const int error = openFolder(trash, folder, true))
        return error;
    if (::fstatat(m_folderFd.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    // Never over a file that appears meanwhile.
    if (::renameat2(trash.folders.files.get(), f.name.constData(), m_folderFd.get(), name.constData(),
                    RENAME_NOREPLACE) != 0)
        return errno;
    ::unlinkat(trash.folders.info.get(), infoName.constData(), 0);
    return 0;
}

} // namespace

RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done)
{
    RestoreOutcome outcome;
    Restorer restorer;
    for (const TrashedFile &f : record) {
        const int error = f.name.isEmpty() || f.name.contains('/') || !f.path.startsWith('/') ? kNotTrashed
                                                                                              : restorer.moveBack(f);
        if (error == 0)
            ++outcome.restored;
        else if (error != kAlreadyBack)
            outcome.failures.push_back({f, error});
        if (done)
            done->fetch_add(1, std::memory_order_relaxed);
    }
    return outcome;
}

QString RestoreReport(const std::vector<RestoreFailure> &failures)
{
    return FailureReport(
        QCoreApplication::translate("Dustmote", "Не удалось вернуть файлов: %1.").arg(failures.size()), qsizetype(failures.size()),
        [&](qsizetype i) {
            const int error = failures[std::size_t(i)].error;
            const QString reason = error == EEXIST
                ? QCoreApplication::translate("Dustmote", "на этом месте уже есть файл; он оставлен как есть, удалённый — в Корзине")
                : error == ENOENT         ? QCoreApplication::translate("Dustmote", "этого файла больше нет в Корзине")
                : error == kFolderReplaced ? QCoreApplication::translate("Dustmote", "папка на пути к прежнему месту заменена ссылкой или файлом; удалённый оставлен в Корзине")
                : error == kFolderGone     ? QCoreApplication::translate("Dustmote", "папки на пути к прежнему месту больше нет; удалённый оставлен в Корзине")
                : error < 0               ? DeletionReason(error)
                                          : systemErrorText(error);
            return std::pair(QFile::decodeName(failures[std::size_t(i)].file.path), reason);
        });
}

} // namespace dm
