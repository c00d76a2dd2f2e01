#pragma once
// A deletion of ticked files on a thread of its own: permanently, or to the
// desktop's trash. The window hands over a copy of what to delete, so that
// nothing it does meanwhile can reach the pass.

#include "BackgroundTask.h"
#include "FileDeletion.h"
#include "TrashRestore.h"

#include <QByteArray>
#include <functional>
#include <vector>

namespace dm {

struct DeletionTarget
{
    QByteArray folder; // ending in "/"
    QByteArray name;
    FileVersion version;
};

class DeletionPass : public BackgroundTask
{
public:
    enum class Mode { Permanent, ToTrash };

    struct Failure
    {
        std::size_t target; // index into targets()
        int error;
    };

    // Called with the files removed so far, from a thread beside the pass
    // while it runs (as often as the call allows, at most every 50 ms) and
    // once at its end, so that what went is counted even if the program is
    // killed; it may take a while (the store syncs to disk) without the pass
    // or the window waiting for it. Never called twice at once.
    using Checkpoint = std::function<void(std::size_t removed)>;

    DeletionPass(ScanRoot root, std::vector<DeletionTarget> targets, Mode mode, Checkpoint checkpoint = {});
    ~DeletionPass() override { finish(); }

    const std::vector<DeletionTarget> &targets() const { return m_targets; }
    // Files removed (or moved to the trash) so far.
    std::size_t removed() const { return m_removed.load(std::memory_order_relaxed); }
    // After finished(): what could not be removed (a file that was gone
    // already is no failure), and what went to the trash.
    const std::vector<Failure> &failures() const { return m_failures; }
    const TrashRecord &trashed() const { return m_trashed; }
    // After finished(): whether the way back was kept (nothing to keep counts
    // as kept). The pass writes the record itself as it goes, each file
    // noted before it moves, so that the window never waits for a record of
    // 100,000 files and a kill loses none of it.
    bool recordKept() const { return m_recordKept; }

    // Tests: called on the pass's thread before each file (set it while no
    // pass runs), so that a pass can be held in mid-course.
    static void setBeforeFileHook(std::function<void()> hook);

private:
    void run() override;

    const ScanRoot m_root;
    const std::vector<DeletionTarget> m_targets;
    const Mode m_mode;
    const Checkpoint m_checkpoint;
    std::vector<Failure> m_failures;
    TrashRecord m_trashed;
    bool m_recordKept = true;
    std::atomic<std::size_t> m_removed{0};
};

// Moves the files of the last deletion to the trash back, and keeps in the
// record only those that may still come back later (something was in their
// place), all on its own thread.
class RestorePass : public BackgroundTask
{
public:
    RestorePass() = default;
    ~RestorePass() override { finish(); }

    // The files to restore, once the record is read (0 before).
    std::size_t total() const { return m_total.load(std::memory_order_relaxed); }
    // After finished().
    const RestoreOutcome &outcome() const { return m_outcome; }

private:
    void run() override;

    RestoreOutcome m_outcome;
    std::atomic<std::size_t> m_total{0};
};

} // namespace dm
