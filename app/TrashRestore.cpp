#include "TrashRestore.h"

#include "ErrorTexts.h"
#include "FileDeletion.h"
#include "UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>

namespace dm {

namespace {

constexpr char kHeader[] = "Dustmote trash record 2";

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// Whether the trash's record of the file still names its original path (a
// record made since by another program for the same name must not send
// that file here).
bool recordNames(const TrashedFile &f, const QByteArray &infoPath)
{
    const UniqueFd fd(::open(infoPath.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return false;
    char buffer[16384];
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    for (const QByteArray &line : QByteArray(buffer, n > 0 ? n : 0).split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        const QByteArray path = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
        return path.startsWith('/') ? path == f.path : f.path.endsWith('/' + path);
    }
    return false;
}

int moveBack(const TrashedFile &f)
{
    const QByteArray info = f.trash + "info/" + f.name + ".trashinfo";
    const QByteArray source = f.trash + "files/" + f.name;
    struct stat st;
    if (::lstat(source.constData(), &st) != 0 || !recordNames(f, info))
        return ENOENT;
    if (::lstat(f.path.constData(), &st) == 0)
        return EEXIST;
    // Never over a file that appears meanwhile.
    int result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, f.path.constData(), RENAME_NOREPLACE);
    if (result != 0 && errno == ENOENT) {
        QDir().mkpath(QFile::decodeName(folderOf(f.path)));
        result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, f.path.constData(), RENAME_NOREPLACE);
    }
    if (result != 0)
        return errno;
    ::unlink(info.constData());
    return 0;
}

} // namespace

QString trashRecordFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Dustmote/LastDeletion");
}

bool saveTrashRecord(const TrashRecord &record)
{
    const QString file = trashRecordFile();
    if (record.empty())
        return !QFile::exists(file) || QFile::remove(file);
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QByteArray(kHeader) + '\n');
    for (const TrashedFile &f : record)
        out.write(f.path.toPercentEncoding("/") + ' ' + f.trash.toPercentEncoding("/") + ' '
                  + f.name.toPercentEncoding() + '\n');
    return out.commit();
}

bool hasTrashRecord()
{
    return QFileInfo(trashRecordFile()).size() > qint64(sizeof kHeader);
}

std::optional<TrashRecord> loadTrashRecord()
{
    QFile in(trashRecordFile());
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = in.readAll().split('\n');
    if (lines.value(0) != kHeader)
        return std::nullopt;
    TrashRecord record;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines[i].split(' ');
        if (parts.size() == 3)
            record.push_back({QByteArray::fromPercentEncoding(parts[0]), QByteArray::fromPercentEncoding(parts[1]),
                              QByteArray::fromPercentEncoding(parts[2])});
    }
    if (record.empty())
        return std::nullopt;
    return record;
}

RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done)
{
    RestoreOutcome outcome;
    for (const TrashedFile &f : record) {
        const int error = moveBack(f);
        if (error == 0)
            ++outcome.restored;
        else
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
                : error == ENOENT ? QCoreApplication::translate("Dustmote", "этого файла больше нет в Корзине")
                                  : systemErrorText(error);
            return std::pair(QFile::decodeName(failures[std::size_t(i)].file.path), reason);
        });
}

} // namespace dm
