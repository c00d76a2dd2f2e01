#pragma once
// File streams with the program's error texts. A failure names the full
// expanded path and the system's description of the error. A program that
// links this unit ignores SIGXFSZ from its start, so that a write beyond the
// file-size limit fails with an error instead of ending the program.
//
// Writing never leaves a cut-off file behind: the bytes go to a temporary file
// in the same folder, which replaces the target only when every byte is on
// disk; on any failure the old file stays as it was.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace dm {

// Absolute against the current folder, lexically normalised, links not resolved.
QString expandedPath(const QString &path);

// The whole of a small file the program keeps for itself: opened without
// blocking, read only when it is (or a link at its name leads to, as the
// atomic writer writes it) a regular file of at most maxBytes. Nothing when
// it is missing, anything else, larger, or cannot be read.
std::optional<QByteArray> readOwnFile(const QString &path, qint64 maxBytes);

// True when something other than a regular file or a folder is at path, its
// links followed: a FIFO, a socket or a device node, which a writer of
// files must never replace and a reader must never wait on.
bool isSpecialFile(const QString &path);

class FileReader
{
public:
    // Throws EFOpenError "Не удалось открыть файл «%s». %s", also for anything but
    // a regular file (never waiting on a FIFO).
    explicit FileReader(const QString &path);

    // Up to max bytes; fewer only at the end of the file. Throws EReadError.
    qint64 read(char *buffer, qint64 max);
    QByteArray readAll();

private:
    QFile m_file;
};

// Replaces a file atomically: the bytes are collected first, and only the
// commit creates the new file, unnamed (O_TMPFILE) where the file system
// allows, beside the file it replaces, and renames it into place once every
// byte is on disk. A writer killed at any moment leaves the old file whole;
// a named leftover of a killed writer (".List.lst.<pid>.<n>.tmp") is removed
// by the next commit in that folder. Where the path is a symbolic link, the
// link stays and the file it leads to is replaced. Only a regular file (or
// nothing) is ever replaced: never a device node, FIFO or socket.
//
// Written with plain system calls: every result is checked, because a short
// write (a full disk, a size limit) must never pass for success.
class AtomicFileWriter
{
public:
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Throws EFCreateError "Не удалось создать файл «%s». %s" when a folder or a
    // special file is in the file's place, or the file exists but is
    // read-only (refused rather than replaced, also for root, who may write
    // anyway).
    explicit AtomicFileWriter(const QString &path);

    // Adds bytes to what the commit writes.
    void write(QByteArrayView bytes);

    // Puts the new file in place of the old one. Throws EFCreateError when not
    // every byte could be written (a full disk) or the file not be replaced;
    // the old file then stays as it was.
    void commit();

private:
    [[noreturn]] void fail(int err) const;
    [[noreturn]] void fail(const QString &reason) const;
    QString m_path;     // as the caller named it, for the error text
    QString m_target;   // the file replaced: the path, or where its links lead
    QByteArray m_bytes;
};

} // namespace dm
