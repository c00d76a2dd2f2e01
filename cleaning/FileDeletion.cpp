#include "FileDeletion.h"

#include "ErrorTexts.h"
#include "TargetSearch.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>

namespace dm {

namespace {

// Under PATH_MAX with room to spare: longer paths are opened in steps.
constexpr qsizetype kPathStep = 3072;

// Opens the folder `relative` below dirFd (O_PATH) without following any link
// on the way; -errno on failure.
int openBelow(int dirFd, const QByteArray &relative)
{
    static std::atomic<bool> haveOpenat2 = true;
    if (haveOpenat2) {
        open_how how{};
        how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const int fd = int(::syscall(SYS_openat2, dirFd, relative.constData(), &how, sizeof how));
        if (fd >= 0 || errno != ENOSYS)
            return fd >= 0 ? fd : -errno;
        haveOpenat2 = false;
    }
    // An older kernel: one step at a time, none of them a link.
    UniqueFd fd(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    if (!fd)
        return -errno;
    for (const QByteArray &step : relative.split('/')) {
        if (step.isEmpty())
            continue;
        const int next = ::openat(fd.get(), step.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return -errno;
        fd.reset(next);
    }
    return fd.release();
}

int folderError(int error)
{
    // A link where a folder was (ELOOP, or ENOTDIR for O_NOFOLLOW) or a
    // file in its place: the folder found is not there as it was.
    return error == ENOENT ? kFolderGone
        : (error == ELOOP || error == ENOTDIR || error == EXDEV) ? kFolderReplaced
        : error;
}

} // namespace

ScanRoot ScanRoot::of(const QByteArray &path)
{
    ScanRoot root;
    const std::optional<std::string> folder = NormalizeFolder(path.toStdString());
    if (!folder || folder->empty())
        return root;
    root.folder = QByteArray::fromStdString(*folder);
    struct stat st;
    if (::stat(root.folder.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        root.device = st.st_dev;
        root.inode = st.st_ino;
    }
    return root;
}

FoundEntryRemover::FoundEntryRemover(ScanRoot root) : m_root(std::move(root))
{
    if (m_root.folder.isEmpty())
        m_root = {QByteArrayLiteral("/"), 0, 0};
}

FoundEntryRemover::~FoundEntryRemover() = default;

int FoundEntryRemover::openFolder(const QByteArray &folder)
{
    if (!m_rootFd && m_rootError == 0) {
        // The scanned folder itself is reached as the scan reached it.
        m_rootFd.reset(::open(m_root.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (!m_rootFd)
            m_rootError = folderError(errno);
        else if ((m_root.device || m_root.inode)
                 && (::fstat(m_rootFd.get(), &st) != 0 || st.st_dev != m_root.device || st.st_ino != m_root.inode))
            m_rootError = kFolderReplaced;
    }
    if (m_rootError)
        return m_rootError;
    if (!folder.startsWith(m_root.folder))
        return kFolderReplaced; // never found below the scanned folder
    QByteArray relative = folder.mid(m_root.folder.size());
    while (relative.endsWith('/'))
        relative.chop(1);
    if (relative.isEmpty())
        return 0; // the scanned folder itself: its own descriptor serves
    UniqueFd fd(::fcntl(m_rootFd.get(), F_DUPFD_CLOEXEC, 0));
    if (!fd)
        return folderError(errno);
    for (qsizetype pos = 0; pos < relative.size();) {
        qsizetype end = relative.size();
        if (end - pos > kPathStep)
            end = relative.lastIndexOf('/', pos + kPathStep);
        if (end <= pos) // one name longer than a step: the kernel refuses it anyway
            end = relative.size();
        const int next = openBelow(fd.get(), relative.mid(pos, end - pos));
        if (next < 0)
            return folderError(-next);
        fd.reset(next);
        pos = end + 1;
    }
    m_fd = std::move(fd);
    return 0;
}

int FoundEntryRemover::check(const QByteArray &folder, const QByteArray &name,
                             const FileVersion &version)
{
    if (!m_fd || folder != m_folder) {
        m_fd.reset();
        m_folder = folder;
        m_folderError = openFolder(folder);
    }
    if (m_folderError)
        return m_folderError;
    struct stat st;
    if (::fstatat(folderFd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if ((version.device || version.inode) && FileVersion::of(st) != version)
        return ESTALE;
    return 0;
}

int FoundEntryRemover::remove(const QByteArray &folder, const QByteArray &name,
                              const FileVersion &version)
{
    if (const int error = check(folder, name, version))
        return error;
    // Without AT_REMOVEDIR this never removes a folder, and a link goes alone.
    return ::unlinkat(folderFd(), name.constData(), 0) == 0 ? 0 : errno;
}

QString DeletionReason(int error)
{
    switch (error) {
    case EISDIR:
        return QCoreApplication::translate("Dustmote", "теперь это папка, а не файл");
    case ESTALE:
        return QCoreApplication::translate("Dustmote", "после поиска на этом месте появился другой файл");
    case kFolderGone:
        return QCoreApplication::translate("Dustmote", "папки файла больше нет на прежнем месте");
    case kFolderReplaced:
        return QCoreApplication::translate("Dustmote", "папка файла после поиска заменена ссылкой или другой папкой");
    case kNoTrash:
        return QCoreApplication::translate("Dustmote", "на этом диске нет Корзины; файл оставлен на месте");
    case kTrashNotOwn:
        return QCoreApplication::translate("Dustmote", "папка Корзины принадлежит другому пользователю или заменена ссылкой");
    case kNotTrashed:
        return QCoreApplication::translate("Dustmote", "в Корзине под этим именем теперь другой файл; он оставлен как есть");
    default:
        return systemErrorText(error);
    }
}

QString FailureReport(const QString &heading, qsizetype count,
                      const std::function<std::pair<QString, QString>(qsizetype)> &line)
{
    QString text = heading + u'\n';
    for (qsizetype i = 0; i < count && i < kReportedFailures; ++i) {
        const auto [path, reason] = line(i);
        text += QStringLiteral("\n%1\n    %2").arg(path, reason);
    }
    if (count > kReportedFailures)
        text += QCoreApplication::translate("Dustmote", "\n\n…и ещё %1.").arg(count - kReportedFailures);
    return text;
}

QString DeletionReport(const QList<DeletionFailure> &failures)
{
    return FailureReport(QCoreApplication::translate("Dustmote", "Не удалось удалить файлов: %1.").arg(failures.size()), failures.size(),
                         [&](qsizetype i) {
                             return std::pair(failures[i].path, DeletionReason(failures[i].error));
                         });
}

} // namespace dm
