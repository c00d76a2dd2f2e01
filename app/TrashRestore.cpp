#include "TrashRestore.h"

#include "Messages.h"
#include "ShellTrash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

constexpr char kHeader[] = "Dustmote trash record 1";
constexpr int kReportedFailures = 10;
constexpr std::int64_t kDateSlack = 2; // the trash records whole local seconds

struct Trashed
{
    QByteArray trash; // the trash folder, ending in "/"
    QByteArray name;  // in its files/, and with ".trashinfo" in its info/
    std::int64_t date = 0;
};

std::optional<dev_t> deviceOf(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? std::optional<dev_t>(st.st_dev) : std::nullopt;
}

// The top folder of the mount that holds folder: its last ancestor on the
// same device.
QByteArray mountTop(QByteArray folder, dev_t device)
{
    while (folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf('/', folder.size() - 2);
        const QByteArray parent = slash <= 0 ? QByteArray("/") : folder.left(slash);
        if (deviceOf(parent) != device)
            break;
        folder = parent;
    }
    return folder;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The trash folders a file of these paths may have gone to: the user's own,
// and on other mounts the two that the desktop's trash layout allows.
QList<std::pair<QByteArray, QByteArray>> trashFolders(const std::vector<QByteArray> &paths)
{
    const HomeTrash home = homeTrash();
    QList<std::pair<QByteArray, QByteArray>> found{{home.folder, {}}};
    QSet<dev_t> seen;
    const QByteArray uid = QByteArray::number(::getuid());
    for (const QByteArray &path : paths) {
        const QByteArray folder = folderOf(path);
        const std::optional<dev_t> device = deviceOf(folder);
        if (!device || device == home.homeDevice || seen.contains(*device))
            continue;
        seen.insert(*device);
        QByteArray top = mountTop(folder, *device);
        if (!top.endsWith('/'))
            top += '/';
        found.append({top + ".Trash/" + uid + '/', top});
        found.append({top + ".Trash-" + uid + '/', top});
    }
    return found;
}

QByteArray readSmallFile(int dirFd, const char *name)
{
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[8192];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

// The trash's records of the wanted paths made within [from, to]; the newest
// where one path went to the trash more than once.
QHash<QByteArray, Trashed> findTrashed(const TrashRecord &record)
{
    const QSet<QByteArray> wanted(record.paths.begin(), record.paths.end());
    QHash<QByteArray, Trashed> found;
    for (const auto &[trash, top] : trashFolders(record.paths)) {
        const QByteArray info = trash + "info";
        DIR *dir = ::opendir(info.constData());
        if (!dir)
            continue;
        while (const dirent *e = ::readdir(dir)) {
            const QByteArray file(e->d_name);
            if (!file.endsWith(".trashinfo"))
                continue;
            QByteArray path;
            std::int64_t date = 0;
            for (const QByteArray &line : readSmallFile(::dirfd(dir), e->d_name).split('\n')) {
                if (line.startsWith("Path="))
                    path = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
                else if (line.startsWith("DeletionDate="))
                    date = QDateTime::fromString(QString::fromLatin1(line.mid(13).trimmed()), Qt::ISODate)
                               .toSecsSinceEpoch();
            }
            if (!path.isEmpty() && !path.startsWith('/'))
                path.prepend(top);
            if (!wanted.contains(path) || date < record.started - kDateSlack
                || date > record.ended + kDateSlack)
                continue;
            const auto it = found.constFind(path);
            if (it == found.cend() || it->date <= date)
                found.insert(path, {trash, file.chopped(int(sizeof ".trashinfo") - 1), date});
        }
        ::closedir(dir);
    }
    return found;
}

int moveBack(const Trashed &from, const QByteArray &to)
{
    const QByteArray source = from.trash + "files/" + from.name;
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    // Never over a file that appears meanwhile.
    int result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (result != 0 && errno == ENOENT && ::lstat(source.constData(), &st) == 0) {
        QDir().mkpath(QFile::decodeName(folderOf(to)));
        result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    }
    if (result != 0)
        return errno;
    ::unlink((from.trash + "info/" + from.name + ".trashinfo").constData());
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
    if (record.paths.empty())
        return !QFile::exists(file) || QFile::remove(file);
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(kHeader);
    out.write("\n" + QByteArray::number(qint64(record.started)) + ' '
              + QByteArray::number(qint64(record.ended)) + '\n');
    for (const QByteArray &path : record.paths)
        out.write(path.toPercentEncoding("/") + '\n');
    return out.commit();
}

std::optional<TrashRecord> loadTrashRecord()
{
    QFile in(trashRecordFile());
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = in.readAll().split('\n');
    if (lines.size() < 2 || lines[0] != kHeader)
        return std::nullopt;
    const QList<QByteArray> times = lines[1].split(' ');
    if (times.size() != 2)
        return std::nullopt;
    TrashRecord record;
    record.started = times[0].toLongLong();
    record.ended = times[1].toLongLong();
    for (qsizetype i = 2; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            record.paths.push_back(QByteArray::fromPercentEncoding(lines[i]));
    if (record.paths.empty())
        return std::nullopt;
    return record;
}

RestoreOutcome restoreFromTrash(const TrashRecord &record, std::atomic<std::size_t> *done,
                                const std::atomic<bool> *stop)
{
    RestoreOutcome outcome;
    const QHash<QByteArray, Trashed> trashed = findTrashed(record);
    for (const QByteArray &path : record.paths) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const auto it = trashed.constFind(path);
        const int error = it == trashed.cend() ? ENOENT : moveBack(*it, path);
        if (error == 0)
            ++outcome.restored;
        else
            outcome.failures.push_back({path, error});
        if (done)
            done->fetch_add(1, std::memory_order_relaxed);
    }
    return outcome;
}

QString RestoreReport(const std::vector<RestoreFailure> &failures)
{
    QString text = QStringLiteral("Не удалось вернуть файлов: %1.\n").arg(failures.size());
    for (std::size_t i = 0; i < failures.size() && i < kReportedFailures; ++i) {
        const int error = failures[i].error;
        const QString reason = error == EEXIST
            ? QStringLiteral("на этом месте уже есть файл; он оставлен как есть, удалённый — в Корзине")
            : error == ENOENT ? QStringLiteral("этого файла больше нет в Корзине")
                              : systemErrorText(error);
        text += QStringLiteral("\n%1\n    %2").arg(QFile::decodeName(failures[i].path), reason);
    }
    if (failures.size() > kReportedFailures)
        text += QStringLiteral("\n\n…и ещё %1.").arg(failures.size() - kReportedFailures);
    return text;
}

} // namespace dm
