#include "KeepList.h"

#include "Exception.h"
#include "FileStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <mutex>
#include <sys/stat.h>
#include <unordered_set>

namespace dm {

namespace {

constexpr char kHeader[] = "Dustmote keep list 1";
// Far more than anyone keeps by hand; a file in its place that is larger
// (a link to a device, a huge file) is not read at all.
constexpr qint64 kMaxListBytes = 64 << 20;

// The list as last read, and which version of the file it came from: a
// scan start reads the file again only after it has changed.
struct Cached
{
    std::mutex lock;
    bool valid = false;
    struct stat seen{};
    QString path;
    KeepList list;
};

Cached &cached()
{
    static Cached c;
    return c;
}

bool sameVersion(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

KeepList KeepList::parse(const QByteArray &bytes)
{
    KeepList list;
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.value(0) != kHeader)
        return list;
    std::unordered_set<std::string> seen; // linear however long the list
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line.size() < 3 || line[1] != ' ' || (line[0] != 'D' && line[0] != 'F'))
            continue;
        KeptItem item{QByteArray::fromPercentEncoding(line.mid(2)), line[0] == 'D'};
        if (!item.path.startsWith('/'))
            continue;
        if (item.folder && !item.path.endsWith('/'))
            item.path += '/';
        if (seen.insert(std::string(item.folder ? "D" : "F") + item.path.toStdString()).second)
            list.m_items.push_back(std::move(item));
    }
    return list;
}

QString KeepList::file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Dustmote/KeepList");
}

KeepList KeepList::load()
{
    const QString path = file();
    Cached &c = cached();
    const std::lock_guard guard(c.lock);
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (c.valid && c.path == path && sameVersion(st, c.seen))
        return c.list;
    // Never waits on a FIFO, never reads a device or a huge file.
    const std::optional<QByteArray> bytes = readOwnFile(path, kMaxListBytes);
    c.list = bytes ? parse(*bytes) : KeepList();
    c.path = path;
    c.seen = st;
    c.valid = bool(bytes);
    return c.list;
}

bool KeepList::save() const
{
    const QString path = file();
    QDir().mkpath(QFileInfo(path).path());
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const KeptItem &item : m_items)
        text += (item.folder ? "D " : "F ") + item.path.toPercentEncoding("/") + '\n';
    try {
        // Every write checked, and the old list kept when one fails.
        AtomicFileWriter out(path);
        out.write(text);
        out.commit();
        return true;
    } catch (const Exception &) {
        return false;
    }
}

bool KeepList::add(KeptItem item)
{
    if (item.folder && !item.path.endsWith('/'))
        item.path += '/';
    if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
        return false;
    m_items.push_back(std::move(item));
    return true;
}

void KeepList::removeAt(std::vector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it >= 0 && std::size_t(*it) < m_items.size())
            m_items.erase(m_items.begin() + *it);
}

bool KeepList::keeps(const QByteArray &folder, const QByteArray &name) const
{
    return std::any_of(m_items.begin(), m_items.end(), [&](const KeptItem &item) {
        return item.folder ? folder.startsWith(item.path)
                           : item.path.size() == folder.size() + name.size()
                && item.path.startsWith(folder) && item.path.endsWith(name);
    });
}

KeepFilter::KeepFilter(const KeepList &list, std::string root) : m_root(std::move(root))
{
    if (!m_root.empty() && m_root.back() != '/')
        m_root += '/';
    for (const KeptItem &item : list.items())
        (item.folder ? m_folders : m_files).insert(item.path.toStdString());
}

bool KeepFilter::skipsFolder(const std::string &folder) const
{
    if (m_folders.empty())
        return false;
    if (m_folders.count(folder))
        return true;
    // Below the root the walk never enters a kept folder, so only the root
    // itself can lie under one.
    if (folder != m_root)
        return false;
    for (std::size_t slash = folder.find('/'); slash != std::string::npos && slash + 1 < folder.size();
         slash = folder.find('/', slash + 1))
        if (m_folders.count(folder.substr(0, slash + 1)))
            return true;
    return false;
}

bool KeepFilter::skipsFile(const std::string &folder, const std::string &name)
{
    if (m_files.empty())
        return false;
    m_key.assign(folder).append(name);
    return m_files.count(m_key) != 0;
}

} // namespace dm
