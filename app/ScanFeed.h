#pragma once
// Carries a scan's effects from the engine's worker to the main thread. The
// worker's handlers record here what they would do to the window; the main
// thread takes everything recorded so far, in event order, as one batch and
// applies it. Nothing here touches a widget.

#include "FoundFiles.h"
#include "SearchRec.h"

#include <QString>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace dm {

class ScanFeed
{
public:
    struct Batch
    {
        // New entries of the list's folder table (their bytes), in order;
        // rows index the table as it is after them.
        std::vector<QByteArray> folders;
        std::vector<FoundFile> rows;
        // The last folder entered, when one was entered since the last batch.
        bool folderEntered = false;
        QString lastFolder;
        // The running total after the batch's last row, when it has rows.
        std::uint64_t totalKB = 0;
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
    // type the catalog type it counts for.
    void fileFound(const std::string &folder, const TSearchRec &rec, std::uint64_t totalKB,
                   std::uint16_t type = 0);

    // Main thread: everything recorded since the last call.
    Batch take();

private:
    std::mutex m_lock;
    Batch m_pending;
    std::string m_lastFolder; // bytes of the last folder entered (under the lock)

    // The worker's own: the folder of the last match and the table size so far.
    std::string m_matchFolder;
    bool m_haveMatchFolder = false;
    std::uint32_t m_folderCount = 0;

    // The worker's own: the names reported in the folder of the last match,
    // kept only when several masks may report one file twice.
    bool m_severalMasks = false;
    std::string m_seenFolder;
    std::unordered_set<std::string> m_seen;
};

} // namespace dm
