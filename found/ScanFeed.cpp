#include "ScanFeed.h"

#include <QScopeGuard>

#include <utility>

namespace dm {

namespace {

// Matches between two looks at whether the main thread wants a batch (every
// folder entered looks too).
constexpr std::size_t kLookEvery = 256;

} // namespace

void ScanFeed::Batch::clear()
{
    found.clear();
    folderEntered = false;
    lastFolder.clear();
    totalKB = 0;
}

void ScanFeed::reset(bool severalMasks)
{
    const std::lock_guard guard(m_lock);
    m_severalMasks = severalMasks;
    m_seenFolder.clear();
    m_seen.clear();
    // The room kept between batches is the last scan's, sized for its
    // pace: a new scan starts without it.
    m_handed = {};
    m_handedEmpty = true;
    m_taken = {};
    m_filling = {};
    m_sinceHandOver = 0;
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
    m_filling.lastFolder = folder;
    m_filling.folderEntered = true;
    handOver();
}

void ScanFeed::fileFound(const std::string &folder, const TSearchRec &rec, std::uint64_t totalKB,
                         std::uint16_t type)
{
    const FileVersion version = FileVersion::of(rec.FindData);
    const bool folderIsNew = !m_haveMatchFolder || folder != m_matchFolder || version.device != m_matchDevice;
    if (folderIsNew) {
        m_filling.found.addFolder(folder, version.device);
        m_matchFolder = folder;
        m_matchDevice = version.device;
        m_haveMatchFolder = true;
        ++m_folderCount;
    }
    m_filling.found.addRow(rec.Name, m_folderCount - 1, version, type);
    m_filling.totalKB = totalKB;
    if (++m_sinceHandOver >= kLookEvery)
        handOver();
}

void ScanFeed::handOver()
{
    m_sinceHandOver = 0;
    // A look at a flag costs nothing; the lock is taken once per batch.
    if (!m_handedEmpty.load(std::memory_order_acquire) || m_filling.empty())
        return;
    const std::lock_guard guard(m_lock);
    std::swap(m_handed, m_filling);
    m_handedEmpty.store(false, std::memory_order_release);
}

void ScanFeed::take(const std::function<void(Batch &)> &apply, bool walkEnded)
{
    {
        const std::lock_guard guard(m_lock);
        std::swap(m_taken, m_handed);
        m_handedEmpty.store(true, std::memory_order_release);
    }
    const auto emptied = qScopeGuard([this, walkEnded] {
        m_taken.clear();
        if (walkEnded)
            m_filling.clear();
    });
    if (!m_taken.empty())
        apply(m_taken);
    // After the walk the worker's own batch is the main thread's to read:
    // the walk's end is ordered before the finish notice.
    if (walkEnded && !m_filling.empty())
        apply(m_filling);
}

} // namespace dm
