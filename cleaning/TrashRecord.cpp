// The record of the last deletion to the trash: a header line, then a line
// per file noted ("path trash name device inode size mtime mtime-nanos",
// each byte string percent-encoded) and a line "- trash name" taking back a
// note whose move did not happen. Records of the version before hold
// "path trash name" lines only, and are read as before.

#include "TrashRestore.h"

#include "Exception.h"
#include "FileStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

constexpr char kHeader[] = "Dustmote trash record 3";
constexpr char kHeaderBefore[] = "Dustmote trash record 2";
// A deletion of a million files with long paths stays well below.
constexpr qint64 kMaxRecordBytes = qint64(1) << 30;

QByteArray entryLine(const TrashedFile &f)
{
    const FileVersion &v = f.version;
    return f.path.toPercentEncoding("/") + ' ' + f.trash.toPercentEncoding("/") + ' '
        + f.name.toPercentEncoding() + ' ' + QByteArray::number(v.device) + ' ' + QByteArray::number(v.inode)
        + ' ' + QByteArray::number(v.size) + ' ' + QByteArray::number(v.modified) + ' '
        + QByteArray::number(v.modifiedNanos) + '\n';
}

QByteArray placeKey(const QByteArray &trash, const QByteArray &name)
{
    return trash + '\0' + name;
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
    try {
        AtomicFileWriter out(file);
        out.write(QByteArray(kHeader) + '\n');
        for (const TrashedFile &f : record)
            out.write(entryLine(f));
        out.commit();
        return true;
    } catch (const Exception &) {
        return false; // the old record stays
    }
}

bool hasTrashRecord()
{
    return QFileInfo(trashRecordFile()).size() > qint64(sizeof kHeader);
}

std::optional<TrashRecord> loadTrashRecord()
{
    const std::optional<QByteArray> bytes = readOwnFile(trashRecordFile(), kMaxRecordBytes);
    if (!bytes)
        return std::nullopt;
    QList<QByteArray> lines = bytes->split('\n');
    const bool before = lines.value(0) == kHeaderBefore;
    if (!before && lines.value(0) != kHeader)
        return std::nullopt;
    // A line cut off by a kill is no line.
    lines.removeLast();
    TrashRecord record;
    std::vector<bool> takenBack;
    QHash<QByteArray, std::size_t> latest; // the last note of each place
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines[i].split(' ');
        if (!before && parts.size() == 3 && parts[0] == "-") {
            const auto it = latest.constFind(
                placeKey(QByteArray::fromPercentEncoding(parts[1]), QByteArray::fromPercentEncoding(parts[2])));
            if (it != latest.constEnd())
                takenBack[*it] = true;
            continue;
        }
        if (parts.size() != (before ? 3 : 8))
            continue;
        TrashedFile f{QByteArray::fromPercentEncoding(parts[0]), QByteArray::fromPercentEncoding(parts[1]),
                      QByteArray::fromPercentEncoding(parts[2]), {}};
        if (!before) {
            bool ok[5];
            f.version = {parts[3].toULongLong(&ok[0]), parts[4].toULongLong(&ok[1]), parts[5].toULongLong(&ok[2]),
                         parts[6].toLongLong(&ok[3]), 0, parts[7].toUInt(&ok[4]), 0};
            if (!(ok[0] && ok[1] && ok[2] && ok[3] && ok[4]) || (f.version.device == 0 && f.version.inode == 0))
                continue; // never read as a record without identity
        }
        if (!f.path.startsWith('/') || !f.trash.startsWith('/') || !f.trash.endsWith('/') || f.name.isEmpty()
            || f.name.contains('/'))
            continue;
        latest.insert(placeKey(f.trash, f.name), record.size());
        record.push_back(std::move(f));
        takenBack.push_back(false);
    }
    TrashRecord kept;
    kept.reserve(record.size());
    for (std::size_t i = 0; i < record.size(); ++i)
        if (!takenBack[i])
            kept.push_back(std::move(record[i]));
    if (kept.empty())
        return std::nullopt;
    return kept;
}

TrashRecordWriter::~TrashRecordWriter()
{
    if (const int fd = m_fd.exchange(-1); fd >= 0)
        ::close(fd);
}

void TrashRecordWriter::moving(const QByteArray &path, const TrashCan::Placed &placed, const FileVersion &version)
{
    if (!m_started) {
        m_started = true;
        // The new record replaces the last one whole (which stays when it
        // cannot), then grows line by line.
        const QString file = trashRecordFile();
        QDir().mkpath(QFileInfo(file).path());
        try {
            AtomicFileWriter out(file);
            out.write(QByteArray(kHeader) + '\n');
            out.commit();
        } catch (const Exception &) {
            m_failed = true;
            return;
        }
        const int fd = ::open(QFile::encodeName(file).constData(),
                              O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (fd >= 0)
                ::close(fd);
            m_failed = true;
            return;
        }
        m_fd = fd;
    }
    append(entryLine({path, placed.trash, placed.name, version}));
}

void TrashRecordWriter::notMoved(const TrashCan::Placed &placed)
{
    append("- " + placed.trash.toPercentEncoding("/") + ' ' + placed.name.toPercentEncoding() + '\n');
}

void TrashRecordWriter::append(const QByteArray &line)
{
    const int fd = m_fd.load();
    if (fd < 0 || m_failed)
        return;
    // One write per line: a kill cuts at most the line in flight, which the
    // reader drops.
    const ssize_t n = ::write(fd, line.constData(), size_t(line.size()));
    if (n != line.size())
        m_failed = true;
}

void TrashRecordWriter::sync()
{
    if (const int fd = m_fd.load(); fd >= 0 && ::fdatasync(fd) != 0)
        m_failed = true;
}

} // namespace dm
