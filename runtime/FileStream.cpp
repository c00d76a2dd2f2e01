#include "FileStream.h"

#include "Exception.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace dm {
namespace {

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

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
                                     errno ? systemError(errno) : m_file.errorString()));
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

AtomicFileWriter::AtomicFileWriter(const QString &path) : m_path(expandedPath(path)), m_file(m_path)
{
    const QFileInfo target(m_path);
    if (target.isDir())
        fail(systemError(EISDIR));
    if (target.exists() && !target.isWritable())
        fail(systemError(EACCES));
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly))
        fail(errno ? systemError(errno) : m_file.errorString());
}

void AtomicFileWriter::write(QByteArrayView bytes)
{
    errno = 0;
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        fail(errno ? systemError(errno) : m_file.errorString());
}

void AtomicFileWriter::commit()
{
    errno = 0;
    if (!m_file.commit())
        fail(errno ? systemError(errno) : m_file.errorString());
}

void AtomicFileWriter::fail(const QString &reason)
{
    m_file.cancelWriting();
    throw EFCreateError(createFailed(m_path, reason));
}

} // namespace dm
