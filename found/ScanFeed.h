#pragma once
// Carries a scan's effects from the engine's worker to the main thread. The
// worker's handlers record what they would do to the window into a batch of
// the worker's own, without a lock; now and then, when the main thread has
// taken the previous one, the worker hands its batch over with one swap under
// the lock and goes on with an emptied one. Three batches go round, and an
// emptied batch keeps its blocks of rows and its first block of names (the
// list copies the names out), so rows cost an allocation only while a batch
// grows past its largest size so far. Nothing here touches a widget.

#include "FoundBatch.h"
#include "SearchRec.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>

namespace dm {

class ScanFeed
{
public:
    struct Batch
    {
        // New folders and the rows found, the rows indexing the folder table
        // as it is after the folders.
        FoundBatch found;
        // The last folder entered (its bytes), when one was entered.
        bool folderEntered = false;
        std::string lastFolder;
        // The running total after the batch's last row, when it has rows.
        std::uint64_t totalKB = 0;

        bool empty() const { return found.empty() && !folderEntered; }
        void clear();
    };

    // Main thread, while no worker runs: forgets everything of a scan.
    // With several masks one file may be reported once per mask.
    void reset(bool severalMasks = false);

    // Worker: whether the file was reported already in this folder (by
    // another mask), so that the list holds and counts it once.
    bool isRepeat(const std::string &folder, const std::string &name);

    // Worker: a folder is about to be searched.
    void folderEntered(const std::string &folder);
    // Worker: a file was found; totalKB is the running total including it,
    // type the catalog type that matched it.
    void fileFound(const std::string &folder, const TSearchRec &rec, std::uint64_t totalKB,
                   std::uint16_t type = 0);

    // Main thread: applies what the worker has handed over since the last
    // call, and, once the walk has ended, also what it still holds, in the
    // order recorded. The batches are emptied afterwards, even when `apply`
    // throws.
    void take(const std::function<void(Batch &)> &apply, bool walkEnded = false);

private:
    // Worker: hands the batch over when the main thread has taken the last.
    void handOver();

    std::mutex m_lock;
    Batch m_handed;                       // under the lock
    std::atomic<bool> m_handedEmpty = true;
    Batch m_taken;                        // the main thread's

    // The worker's own.
    Batch m_filling;
    std::size_t m_sinceHandOver = 0;
    std::string m_matchFolder;
    std::uint64_t m_matchDevice = 0;
    bool m_haveMatchFolder = false;
    std::uint32_t m_folderCount = 0;

    // The worker's own: the names reported in the folder of the last match,
    // kept only when several masks may report one file twice.
    bool m_severalMasks = false;
    std::string m_seenFolder;
    std::unordered_set<std::string> m_seen;
};

} // namespace dm
