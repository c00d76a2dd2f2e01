#include "FileStream.h"

#include "Exception.h"
#include "ErrorTexts.h"
#include "UniqueFd.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <QCoreApplication>

namespace dm {
namespace {

QString openFailed(const QString &path, const QString &reason)
{
    return QCoreApplication::translate("Dustmote", "Не удалось открыть файл «%1». %2").arg(path, reason);
}

QString createFailed(const QString &path, const QString &reason)
{
    return QCoreApplication::translate("Dustmote", "Не удалось создать файл «%1». %2").arg(path, reason);
}

constexpr int kMaxLinkHops = 40; // as the kernel's own limit

// A write beyond the file-size limit must fail with EFBIG, which the writer
// reports, rather than kill the program: every program that writes through
// this unit ignores SIGXFSZ from its start.
[[maybe_unused]] const bool kFileSizeSignalIgnored = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}();

// ".List.lst.<pid>.<n>.tmp": whose it is, so that a later commit can tell a
// killed writer's leftover from another running writer's file.
QByteArray temporaryName(const QByteArray &name)
{
    static std::atomic<unsigned> counter{0};
    return '.' + name + '.' + QByteArray::number(::getpid()) + '.' + QByteArray::number(++counter) + ".tmp";
}

// Removes the temporary files of writers that no longer run.
void removeStaleTemporaries(const QString &folder, const QString &name)
{
    static const QString pattern = QStringLiteral("^\\.%1\\.(\\d+)\\.\\d+\\.tmp$");
    const QRegularExpression ours(pattern.arg(QRegularExpression::escape(name)));
    const QDir dir(folder);
    const QStringList filter{QLatin1Char('.') + name + QStringLiteral(".*.tmp")};
    for (const QString &entry : dir.entryList(filter, QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = ours.match(entry);
        if (!m.hasMatch())
            continue;
        const pid_t pid = pid_t(m.captured(1).toLongLong());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlink(QFile::encodeName(dir.filePath(entry)).constData());
    }
}

} // namespace

QString expandedPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

std::optional<QByteArray> readOwnFile(const QString &path, qint64 maxBytes)
{
    const UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes)
        return std::nullopt;
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    // One byte more than the size said: a file that grew meanwhile is refused too.
    bytes.resize(bytes.size() + 1);
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return std::nullopt;
    bytes.truncate(got);
    return bytes;
}

bool isSpecialFile(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode)
        && !S_ISDIR(st.st_mode);
}

FileReader::FileReader(const QString &path) : m_file(expandedPath(path))
{
    // Without blocking, so that a FIFO put in the file's place is refused
    // instead of waited on.
    UniqueFd fd(::open(QFile::encodeName(m_file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        throw EFOpenError(openFailed(m_file.fileName(), systemErrorText(errno)));
    struct stat st;
    const int err = ::fstat(fd.get(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR
                                                        : !S_ISREG(st.st_mode) ? EINVAL : 0;
    if (err != 0 || !m_file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw EFOpenError(openFailed(m_file.fileName(), systemErrorText(err ? err : errno)));
    fd.release(); // the file closes it now
}

qint64 FileReader::read(char *buffer, qint64 max)
{
    qint64 total = 0;
    while (total < max) {
        errno = 0;
        const qint64 n = m_file.read(buffer + total, max - total);
        if (n < 0)
            throw EReadError(QCoreApplication::translate("Dustmote", "Не удалось прочитать файл «%1». %2")
                                 .arg(m_file.fileName(), systemErrorText(errno ? errno : EIO)));
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

QByteArray FileReader::readAll()
{
    QByteArray all;
    char chunk[65536];
    for (qint64 n; (n = read(chunk, sizeof chunk)) > 0;)
        all.append(chunk, n);
    return all;
}

AtomicFileWriter::AtomicFileWriter(const QString &path) : m_path(expandedPath(path))
{
    // A chain of links is followed to its end, where the new file goes.
    m_target = m_path;
    for (int hops = 0; QFileInfo(m_target).isSymLink(); ++hops) {
        if (hops == kMaxLinkHops)
            fail(ELOOP);
        m_target = QDir::cleanPath(QFileInfo(m_target).symLinkTarget());
    }
    const QFileInfo target(m_target);
    if (target.isDir())
        fail(EISDIR);
    // A device node, FIFO or socket is never replaced by a regular file (as
    // root, a link to /dev/null would otherwise take the device's place).
    if (isSpecialFile(m_target))
        fail(QCoreApplication::translate("Dustmote", "это не обычный файл"));
    // A read-only list is not replaced, also not by root, who may write anyway.
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (target.exists() && (!target.isWritable() || !(target.permissions() & anyWrite)))
        fail(EACCES);
}

void AtomicFileWriter::write(QByteArrayView bytes)
{
    m_bytes.append(bytes);
}

void AtomicFileWriter::commit()
{
    const QFileInfo target(m_target);
    const QByteArray name = QFile::encodeName(target.fileName());
    const QString folder = target.absolutePath();
    removeStaleTemporaries(folder, target.fileName());
    const UniqueFd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        fail(errno);

    // Unnamed until complete; the mode asked for is narrowed by the umask.
    UniqueFd file(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    const QByteArray temp = temporaryName(name);
    bool named = false;
    if (!file && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, created just now.
        file.reset(::openat(dir.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        named = bool(file);
    }
    if (!file)
        fail(errno);
    // Removes the named file again on every failure below.
    struct Remove
    {
        const UniqueFd &dir;
        const QByteArray &temp;
        bool armed;
        ~Remove()
        {
            if (armed)
                ::unlinkat(dir.get(), temp.constData(), 0);
        }
    } remove{dir, temp, named};

    // The new file keeps the old one's permissions.
    struct stat old;
    if (::fstatat(dir.get(), name.constData(), &old, 0) == 0 && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        fail(errno);
    const char *data = m_bytes.constData();
    qsizetype left = m_bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.get(), data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        data += n;
        left -= n;
    }
    if (::fsync(file.get()) != 0)
        fail(errno);
    if (!named) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.get());
        if (::linkat(AT_FDCWD, self.constData(), dir.get(), temp.constData(), AT_SYMLINK_FOLLOW) != 0
            && ::linkat(file.get(), "", dir.get(), temp.constData(), AT_EMPTY_PATH) != 0)
            fail(errno);
        remove.armed = true;
    }
    if (file.close() != 0)
        fail(errno);
    if (::renameat(dir.get(), temp.constData(), dir.get(), name.constData()) != 0)
        fail(errno);
    remove.armed = false;
    // The rename itself must reach the disk, or a crash could bring back the old file.
    if (::fsync(dir.get()) != 0 && errno != EINVAL)
        fail(errno);
}

void AtomicFileWriter::fail(int err) const
{
    fail(systemErrorText(err));
}

void AtomicFileWriter::fail(const QString &reason) const
{
    throw EFCreateError(createFailed(m_path, reason));
}

} // namespace dm
