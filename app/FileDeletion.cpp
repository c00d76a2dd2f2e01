#include "FileDeletion.h"

#include "Messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

constexpr int kReportedFailures = 10;

} // namespace

FoundEntryRemover::~FoundEntryRemover()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FoundEntryRemover::remove(const QByteArray &folder, const QByteArray &name,
                              std::uint64_t volumeId, std::uint64_t fileId)
{
    if (m_fd < 0 || folder != m_folder) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_folder = folder;
        m_fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0)
            return errno;
    }
    struct stat st;
    if (::fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if ((volumeId || fileId) && (st.st_dev != volumeId || st.st_ino != fileId))
        return ESTALE;
    // Without AT_REMOVEDIR this never removes a folder, and a link goes alone.
    return ::unlinkat(m_fd, name.constData(), 0) == 0 ? 0 : errno;
}

QString DeletionReason(int error)
{
    switch (error) {
    case EISDIR:
        return QStringLiteral("теперь это папка, а не файл");
    case ESTALE:
        return QStringLiteral("после поиска на этом месте появился другой файл");
    default:
        return systemErrorText(error);
    }
}

QString DeletionReport(const QList<DeletionFailure> &failures)
{
    QString text = QStringLiteral("Не удалось удалить файлов: %1.\n").arg(failures.size());
    for (qsizetype i = 0; i < failures.size() && i < kReportedFailures; ++i)
        text += QStringLiteral("\n%1\n    %2").arg(failures[i].path, DeletionReason(failures[i].error));
    if (failures.size() > kReportedFailures)
        text += QStringLiteral("\n\n…и ещё %1.").arg(failures.size() - kReportedFailures);
    return text;
}

} // namespace dm
