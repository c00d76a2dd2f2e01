#pragma once
// The walk's stack of folders and the read-ahead in front of it.
//
// The walk is depth-first and pre-order; its stack holds, for every folder on
// the way down, the subfolders still to enter. On a cold cache the walk would
// wait on the disk for one folder at a time, so a few helper threads read the
// folders it will enter next: a helper scans the stack in walk order (the top
// frame's remaining subfolders, each followed by whatever is already known of
// its subtree, then the frame below) and claims the first folder nobody has
// read, opens it relative to its parent and reads it whole (FolderRead.h).
// The result waits in its node until the walk gets there; folders found in it
// become known nodes in turn. The walk raises every event itself, in the
// order it always had: a read ahead only moves the disk waits forward.
//
// The window of reads claimed or done but not yet taken holds at most 1,024
// folders (fewer under a low open-file limit: each may keep its folder open)
// and 1 MB, and helpers look no further than 2,048 folders ahead of the walk.
// The walk never waits for a folder nobody claimed: it reads that one itself,
// so a full window, or no helpers at all, leaves exactly the plain walk; and
// while a helper still reads its next folder, it reads the following ones.
// A folder the walk will not enter (a handler skipped it or its parent's
// subfolders, or the walk stopped) is dropped: a read of it in flight is
// thrown away when it lands, and whatever was read below it is freed.
//
// Helpers sleep when there is nothing to claim and are woken one at a time;
// a thread is made only when none sleeps, up to the reads in flight allowed
// (so never past the pool's size). Several read at once only while reads
// wait for the disk; from the cache one keeps ahead of the walk, and more
// would only take turns on the processors. How many then, ReadTuner.h
// chooses from the walk's pace.
//
// Descriptors: every node, frame and read shares its folder through FolderFd,
// closed with the last holder. At most kOpenFrames frames keep their folder
// open; a shallower one needed again is reopened step by step from the target
// folder without following links, and must still be the same folder.
//
// One mutex guards the stack, the nodes' states and every shared_ptr to a
// read that a helper may see; names and results are immutable once published.

#include "FolderRead.h"
#include "ReadTuner.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dm {

// What the reads of one target folder take, by level.
struct ReadPlan
{
    std::vector<FileMask> masks; // a place mask's name part stands for it
    PlaceRules rules;            // empty without place masks
    std::vector<PlaceMask::State> targetPlaces; // the target folder's state per place
    std::size_t minLevel = 0;
    std::size_t maxLevel = 0; // 0: no limit
    bool subfolders = false;
    bool filesNeedFolder = false;

    // The parts of a folder at `level` that the walk may need.
    ReadWants wants(std::size_t level) const
    {
        return {level >= minLevel && !masks.empty() ? &masks : nullptr,
                subfolders && (maxLevel == 0 || level < maxLevel), rules.empty() ? nullptr : &rules,
                nullptr, filesNeedFolder};
    }
};

class ReadAhead
{
public:
    // The window: reads claimed or done and not yet taken by the walk. Each
    // may hold a descriptor, so it takes at most 1/kLimitShare of the
    // open-file limit. Where other work takes the processors, the walk gets
    // a turn only now and then, and the helpers must read on meanwhile: a
    // cold walk with both cores busy took 1.10 times a parallel finder's
    // best time with 256, 0.93 with 512, 0.91 with 1,024 and 0.89 with 2,048
    // (quiet: 0.84 to 0.87, the most with 2,048).
    static constexpr std::size_t kWindowFolders = 1024;
    static constexpr std::size_t kLimitShare = 4;

    struct Frame
    {
        std::shared_ptr<FolderRead> read; // has children; its fd is null while closed
        std::size_t level = 0;
        std::size_t pathLength = 0;       // of the walk's path at this folder
        std::size_t next = 0;             // the next child to enter
    };

    // At most `helpers` threads, made as reads need them (fewer when the
    // system refuses more); they stop issuing reads as soon as *stop is set.
    ReadAhead(unsigned helpers, const std::atomic<bool> *stop);
    // Stops the helpers and joins them; reads in flight finish first.
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The target folder about to be walked; the stack must be empty.
    void setPlan(std::shared_ptr<const ReadPlan> plan);
    const ReadPlan &plan() const { return *m_plan; }

    // The rest is called by the walk's thread only.

    // Reads the target folder itself.
    std::shared_ptr<FolderRead> readTarget(const std::string &folder, ReadWants wants);

    std::size_t depth() const { return m_frames.size(); }
    const Frame &top() const { return m_frames.back(); }
    bool topOpen() const { return m_frames.back().read->fd != nullptr; }
    // Opens the top frame's folder again (path: the walk's path up to it);
    // false when a folder on the way is gone or was replaced.
    bool reopenTop(const std::string &path);
    // The top frame's next child to enter.
    FolderNode &nextChild() { return m_frames.back().read->children[m_frames.back().next]; }
    // The next child's read: the one read ahead, waiting for one in flight,
    // or read here when nobody has. Subfolders not wanted are dropped first.
    std::shared_ptr<FolderRead> take(FolderNode &child, ReadWants wants);
    // The next child, or the target folder (child null), is done with: its
    // read becomes the new top frame (it has children) ...
    void push(FolderNode *child, std::shared_ptr<FolderRead> read, std::size_t level,
              std::size_t pathLength);
    // ... or is dropped with whatever was read below it. Neither read nor
    // entered when read is null.
    void done(FolderNode *child, std::shared_ptr<FolderRead> read);
    // Leaves the top frame; children not entered are dropped.
    void pop();
    // The top frame's remaining children are dropped.
    void skipRest();
    // Leaves every frame.
    void clear();

private:
    struct Claim
    {
        FolderNode *node = nullptr;
        std::shared_ptr<FolderRead> parent;
        std::shared_ptr<const ReadPlan> plan;
        ReadWants wants;
    };

    void helperLoop();
    // Reads the claimed folder with the lock let go meanwhile, and lands it;
    // a helper's read, when sampled, tells whether reads wait for the disk.
    void readClaimed(Claim &claim, ReadScratch &scratch, std::unique_lock<std::mutex> &lock, bool helper,
                     bool sample);
    bool admits() const;
    bool claimLocked(Claim &claim);
    void publishLocked(Claim &claim, ReadResult result, std::shared_ptr<FolderRead> read);
    void dropLocked(FolderNode &node);
    void dropChildrenLocked(FolderRead &read, std::size_t from);
    void unchargeLocked(FolderRead &read);
    void advanceLocked(FolderNode *child);
    // What a step changed: room in the window, or folders to read (new ones
    // known, or the walk moved on).
    enum class Wake { Room, Work };
    void wakeHelpersLocked(Wake why);
    void startHelperLocked();
    // The walk took a folder (`waited`: not read yet); every period the
    // number of reads in flight is chosen again.
    void tuneLocked(bool waited);
    bool stopped() const { return m_stopFlag && m_stopFlag->load(std::memory_order_relaxed); }

    const std::atomic<bool> *m_stopFlag;
    std::shared_ptr<const ReadPlan> m_plan;
    std::vector<Frame> m_frames;
    std::size_t m_firstOpen = 0; // frames from here up keep their folder open
    ReadScratch m_scratch;       // the walk's own reads

    std::mutex m_mutex;
    std::condition_variable m_helpersCv;
    std::condition_variable m_walkCv;
    bool m_quit = false;
    bool m_walkWaiting = false;
    unsigned m_idleHelpers = 0;
    unsigned m_busyHelpers = 0; // reading
    bool m_waitRoom = false;    // helpers found the window full
    bool m_waitHorizon = false; // helpers found nothing near enough
    // Helpers' reads since the last sampled one that waited (for the disk):
    // while few, reads are taken to wait, and more helpers are put to work.
    std::size_t m_readsSinceWait = 1000;
    bool readsWait() const { return m_readsSinceWait < 32; }
    ReadTuner m_tuner;
    std::size_t m_periodTakes = 0;
    std::size_t m_periodWaits = 0;
    std::chrono::steady_clock::time_point m_periodStart;
    std::size_t m_windowFolders = 0; // claimed or ready, not yet taken
    std::size_t m_windowBytes = 0;
    std::size_t m_maxFolders = 0;
    // Where claimLocked stopped: the frame it scans and, above it, the reads
    // it went down into, each with the next child to look at.
    struct ScanLevel
    {
        FolderRead *read;
        std::size_t index;
        std::size_t level; // of the children
    };
    std::vector<ScanLevel> m_scan;
    std::size_t m_scanFrame = 0;
    std::size_t m_scanSeen = 0; // folders looked at since the scan started from the walk
    bool m_rewind = true;
    std::vector<std::thread> m_helpers;
};

} // namespace dm
