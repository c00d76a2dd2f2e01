#pragma once
// File streams with the program's error texts. A failure names the full
// expanded path and the system's description of the error.
//
// Writing never leaves a cut-off file behind: the bytes go to a temporary file
// in the same folder, which replaces the target only when every byte is on
// disk; on any failure the old file stays as it was.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace dm {

// Absolute against the current folder, lexically normalised, links not resolved.
QString expandedPath(const QString &path);

class FileReader
{
public:
    // Throws EFOpenError "Cannot open file "%s". %s".
    explicit FileReader(const QString &path);

    // Up to max bytes; fewer only at the end of the file. Throws EReadError.
    qint64 read(char *buffer, qint64 max);
    QByteArray readAll();

private:
    QFile m_file;
};

// Written with plain system calls: every write's result is checked, because a
// short write (a full disk, a size limit) must never pass for success.
class AtomicFileWriter
{
public:
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;
    ~AtomicFileWriter();

    // Throws EFCreateError "Cannot create file "%s". %s"; a target that exists
    // but is read-only is refused the same way rather than replaced.
    explicit AtomicFileWriter(const QString &path);

    // Throws EFCreateError when not every byte could be written (a full disk).
    void write(QByteArrayView bytes);

    // Puts the new file in place of the old one. Throws EFCreateError.
    void commit();

private:
    [[noreturn]] void fail(int err);
    void discard();
    QString m_path;
    QByteArray m_target;
    QByteArray m_temp;
    int m_fd = -1;
};

} // namespace dm
