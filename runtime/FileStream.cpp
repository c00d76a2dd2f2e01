#include "FileStream.h"

#include "Exception.h"
#include "Messages.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dm {
namespace {

QString openFailed(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}

QString createFailed(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason);
}

} // namespace

QString expandedPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

FileReader::FileReader(const QString &path) : m_file(expandedPath(path))
{
    errno = 0;
    if (!m_file.open(QIODevice::ReadOnly))
        throw EFOpenError(openFailed(m_file.fileName(),
                                     errno ? systemErrorText(errno) : m_file.errorString()));
}

qint64 FileReader::read(char *buffer, qint64 max)
{
    qint64 total = 0;
    while (total < max) {
        const qint64 n = m_file.read(buffer + total, max - total);
        if (n < 0)
            throw EReadError(QStringLiteral("Cannot read file \"%1\". %2")
                                 .arg(m_file.fileName(), m_file.errorString()));
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

AtomicFileWriter::AtomicFileWriter(const QString &path)
    : m_path(expandedPath(path)), m_target(QFile::encodeName(m_path))
{
    const QFileInfo target(m_path);
    if (target.isDir())
        fail(EISDIR);
    // A read-only list is not replaced, also not by root, who may write anyway.
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (target.exists() && (!target.isWritable() || !(target.permissions() & anyWrite)))
        fail(EACCES);
    m_temp = m_target + ".XXXXXX";
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0) {
        const int err = errno;
        m_temp.clear();
        fail(err);
    }
    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat old;
    mode_t mode = 0666;
    if (::stat(m_target.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(m_fd, mode);
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        data += n;
        left -= n;
    }
}

void AtomicFileWriter::commit()
{
    if (::fsync(m_fd) != 0)
        fail(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        fail(errno);
    if (::rename(m_temp.constData(), m_target.constData()) != 0)
        fail(errno);
    m_temp.clear();
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
}

void AtomicFileWriter::fail(int err)
{
    discard();
    throw EFCreateError(createFailed(m_path, systemErrorText(err)));
}

} // namespace dm
