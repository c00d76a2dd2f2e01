#include "DeletionPass.h"

#include "Trash.h"

#include <cerrno>
#include <chrono>
#include <thread>

namespace dm {

namespace {

constexpr auto kCheckpointInterval = std::chrono::milliseconds(50);

std::function<void()> &beforeFileHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

void DeletionPass::setBeforeFileHook(std::function<void()> hook)
{
    beforeFileHook() = std::move(hook);
}

DeletionPass::DeletionPass(ScanRoot root, std::vector<DeletionTarget> targets, Mode mode,
                           Checkpoint checkpoint)
    : m_root(std::move(root)), m_targets(std::move(targets)), m_mode(mode),
      m_checkpoint(std::move(checkpoint))
{
}

void DeletionPass::run()
{
    FoundEntryRemover remover(m_root);
    TrashCan trash;
    TrashRecordWriter record;
    const bool toTrash = m_mode == Mode::ToTrash;
    // The count and the record of the way back are stored beside the pass,
    // as often as a store allows and at most every 50 ms, so the pass never
    // waits for the disk and a kill loses only what went during the last
    // store (of the record, only what a power cut could: each file is noted
    // before it moves).
    std::atomic<bool> passEnded{false};
    std::thread storer;
    if (m_checkpoint || toTrash)
        storer = std::thread([this, &passEnded, &record, toTrash] {
            std::size_t stored = 0;
            while (!passEnded.load(std::memory_order_acquire)) {
                std::this_thread::sleep_for(kCheckpointInterval);
                if (const std::size_t now = removed(); now != stored) {
                    if (toTrash)
                        record.sync();
                    if (m_checkpoint)
                        m_checkpoint(now);
                    stored = now;
                }
            }
        });
    for (std::size_t i = 0; i < m_targets.size() && !stopRequested(); ++i) {
        if (beforeFileHook())
            beforeFileHook()();
        const DeletionTarget &t = m_targets[i];
        int error;
        if (m_mode == Mode::Permanent) {
            error = remover.remove(t.folder, t.name, t.version);
        } else {
            // Found as for a deletion, then moved from its folder as found.
            error = remover.check(t.folder, t.name, t.version);
            TrashCan::Placed placed;
            if (error == 0)
                error = trash.put(remover.folderFd(), t.name, t.folder + t.name, &placed, &record);
            if (error == 0)
                m_trashed.push_back({t.folder + t.name, placed.trash, placed.name, t.version});
        }
        if (error == 0)
            m_removed.fetch_add(1, std::memory_order_relaxed);
        else if (error != ENOENT) // gone already: what the user wanted
            m_failures.push_back({i, error});
        m_done.fetch_add(1, std::memory_order_relaxed);
    }
    passEnded.store(true, std::memory_order_release);
    if (storer.joinable())
        storer.join();
    if (toTrash)
        record.sync();
    if (m_checkpoint)
        m_checkpoint(removed());
    m_recordKept = record.kept();
}

void RestorePass::run()
{
    const std::optional<TrashRecord> record = loadTrashRecord();
    if (!record)
        return;
    m_total.store(record->size(), std::memory_order_relaxed);
    m_outcome = restoreFromTrash(*record, &m_done);
    // What stays in the trash because something now is in its place can be
    // tried again once the user has made room; the rest is done with.
    TrashRecord rest;
    for (const RestoreFailure &f : m_outcome.failures)
        if (f.error != ENOENT && f.error != kNotTrashed)
            rest.push_back(f.file);
    saveTrashRecord(rest);
}

} // namespace dm
