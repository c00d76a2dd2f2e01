#include "ScanFeed.h"

#include <QFile>

namespace dm {

namespace {

constexpr std::size_t kRowStep = 1024;

} // namespace

void ScanFeed::reset(bool severalMasks)
{
    const std::lock_guard guard(m_lock);
    m_severalMasks = severalMasks;
    m_seenFolder.clear();
    m_seen.clear();
    m_pending = {};
    m_lastFolder.clear();
    m_matchFolder.clear();
    m_haveMatchFolder = false;
    m_folderCount = 0;
}

bool ScanFeed::isRepeat(const std::string &folder, const std::string &name)
{
    // The engine reports a folder's files together, every mask's after the
    // other, so the names of one folder suffice.
    if (!m_severalMasks)
        return false;
    if (folder != m_seenFolder) {
        m_seenFolder = folder;
        m_seen.clear();
    }
    return !m_seen.insert(name).second;
}

void ScanFeed::folderEntered(const std::string &folder)
{
    const std::lock_guard guard(m_lock);
    m_lastFolder = folder;
    m_pending.folderEntered = true;
}

void ScanFeed::fileFound(const std::string &folder, const TSearchRec &rec, std::uint64_t totalKB,
                         std::uint16_t type)
{
    // Names and folders are decoded here, off the main thread.
    FoundFile row;
    const QByteArray name = QByteArray::fromRawData(rec.Name.data(), qsizetype(rec.Name.size()));
    row.name = QFile::decodeName(name);
    if (!isAscii(rec.Name) && QFile::encodeName(row.name) != name)
        row.rawName = std::make_unique<QByteArray>(name.constData(), name.size());
    row.version = FileVersion::of(rec.FindData);
    row.type = type;
    const bool folderIsNew = !m_haveMatchFolder || folder != m_matchFolder;
    if (folderIsNew) {
        m_matchFolder = folder;
        m_haveMatchFolder = true;
        ++m_folderCount;
    }
    row.folder = m_folderCount - 1;

    const std::lock_guard guard(m_lock);
    // Room in fixed steps: a batch never copies its rows to grow.
    if (m_pending.rows.capacity() == m_pending.rows.size())
        m_pending.rows.reserve(m_pending.rows.size() + kRowStep);
    if (folderIsNew)
        m_pending.folders.push_back(QByteArray::fromStdString(folder));
    m_pending.rows.push_back(std::move(row));
    m_pending.totalKB = totalKB;
}

ScanFeed::Batch ScanFeed::take()
{
    Batch batch;
    std::string lastFolder;
    {
        const std::lock_guard guard(m_lock);
        std::swap(batch, m_pending);
        if (batch.folderEntered)
            lastFolder = m_lastFolder;
    }
    if (batch.folderEntered)
        batch.lastFolder = QFile::decodeName(QByteArray::fromStdString(lastFolder));
    return batch;
}

} // namespace dm
