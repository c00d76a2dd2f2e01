#include "ReadAhead.h"

#include <fcntl.h>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dm {

namespace {

// Frames that keep their folder open, however deep the walk.
constexpr std::size_t kOpenFrames = 32;
// 1 MB: with every file a match, 1,024 folders of 20 hold 2.5 MB, which at a
// million found files is 2 bytes a row more than the window's list allows.
constexpr std::size_t kWindowBytes = 1 << 20;
// How far ahead of the walk, in folders, helpers look for one to read.
constexpr std::size_t kHorizon = 2 * ReadAhead::kWindowFolders;

// How often this thread has gone to sleep, on the disk or on a lock. A
// system call: asked around every kSampleEvery-th read of a helper only, as
// a cold walk's reads nearly all wait and one in that many tells it.
constexpr unsigned kSampleEvery = 8;

long sleeps()
{
    struct rusage usage;
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_nvcsw : 0;
}

std::size_t windowFolders()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return ReadAhead::kWindowFolders;
    return std::min<std::size_t>(ReadAhead::kWindowFolders, limit.rlim_cur / ReadAhead::kLimitShare);
}

} // namespace

ReadAhead::ReadAhead(unsigned helpers, const std::atomic<bool> *stop)
    : m_stopFlag(stop), m_tuner(helpers), m_maxFolders(windowFolders())
{
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_helpersCv.notify_all();
    for (std::thread &helper : m_helpers)
        helper.join();
    clear();
}

void ReadAhead::setPlan(std::shared_ptr<const ReadPlan> plan)
{
    const std::lock_guard lock(m_mutex);
    m_plan = std::move(plan);
    m_rewind = true;
    m_periodTakes = m_periodWaits = 0;
    m_periodStart = std::chrono::steady_clock::now();
}

std::shared_ptr<FolderRead> ReadAhead::readTarget(const std::string &folder, ReadWants wants)
{
    auto read = std::make_shared<FolderRead>();
    // The target is the folder the user named, even through a link; one
    // left empty by the path expansion is the current folder.
    readFolder(m_scratch, AT_FDCWD, folder.empty() ? "." : folder.c_str(), true, 0, wants, m_stopFlag,
               *read);
    return read;
}

std::shared_ptr<FolderRead> ReadAhead::take(FolderNode &child, ReadWants wants)
{
    std::unique_lock lock(m_mutex);
    if (!wants.subfolders) {
        child.childrenWanted = false;
        if (child.state == FolderNode::Ready)
            dropChildrenLocked(*child.read, 0);
    }
    tuneLocked(child.state != FolderNode::Ready);
    // Waiting for a helper to land the child, the walk reads the next folders
    // itself instead of sleeping, as long as there are some.
    while (child.state == FolderNode::Reading) {
        Claim claim;
        if (!stopped() && admits() && claimLocked(claim)) {
            readClaimed(claim, m_scratch, lock, false, false);
            continue;
        }
        m_walkWaiting = true;
        m_walkCv.wait(lock);
        m_walkWaiting = false;
    }
    if (child.state == FolderNode::Ready) {
        child.state = FolderNode::Taken;
        unchargeLocked(*child.read);
        wakeHelpersLocked(Wake::Room);
        return child.read;
    }
    child.state = FolderNode::Taken;
    const FolderRead &parent = *m_frames.back().read;
    wants.placeState = parent.placeStateOf(child, wants.rules);
    const std::shared_ptr<FolderFd> parentFd = parent.fd;
    const std::uint64_t parentDevice = parent.device;
    lock.unlock();

    auto read = std::make_shared<FolderRead>();
    readFolder(m_scratch, parentFd->get(), parent.name(child), false, parentDevice, wants, m_stopFlag,
               *read);
    lock.lock();
    // Published, so that helpers go on below it while the walk reports its files.
    child.read = read;
    if (!read->children.empty()) {
        m_rewind = true;
        wakeHelpersLocked(Wake::Work);
    }
    return read;
}

void ReadAhead::tuneLocked(bool waited)
{
    m_periodWaits += waited;
    if (++m_periodTakes < ReadTuner::kPeriod)
        return;
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - m_periodStart).count();
    // From the cache one helper keeps ahead: nothing to choose.
    if (readsWait() && seconds > 0) {
        const unsigned before = m_tuner.reads();
        if (m_tuner.period(m_periodWaits, double(m_periodTakes) / seconds)) {
            for (unsigned i = before; i < m_tuner.reads(); ++i)
                wakeHelpersLocked(Wake::Work);
        }
    }
    m_periodTakes = m_periodWaits = 0;
    m_periodStart = now;
}

void ReadAhead::advanceLocked(FolderNode *child)
{
    if (!child)
        return;
    ++m_frames.back().next;
    child->read.reset();
}

void ReadAhead::push(FolderNode *child, std::shared_ptr<FolderRead> read, std::size_t level,
                     std::size_t pathLength)
{
    const std::lock_guard lock(m_mutex);
    advanceLocked(child);
    // The shallowest open frame gives up its folder to the new one.
    if (m_frames.size() - m_firstOpen >= kOpenFrames)
        m_frames[m_firstOpen++].read->fd.reset();
    m_frames.push_back({std::move(read), level, pathLength, 0});
    // A child's subfolders were known once its read landed; the target's are new.
    if (!child)
        m_rewind = true;
    wakeHelpersLocked(child ? Wake::Room : Wake::Work);
}

void ReadAhead::done(FolderNode *child, std::shared_ptr<FolderRead> read)
{
    const std::lock_guard lock(m_mutex);
    if (child)
        dropLocked(*child);
    if (read)
        dropChildrenLocked(*read, 0);
    advanceLocked(child);
    read.reset();
    wakeHelpersLocked(Wake::Room);
}

void ReadAhead::pop()
{
    const std::lock_guard lock(m_mutex);
    Frame &frame = m_frames.back();
    dropChildrenLocked(*frame.read, frame.next);
    m_frames.pop_back();
    m_rewind = true;
    if (m_firstOpen > m_frames.size())
        m_firstOpen = m_frames.size();
    wakeHelpersLocked(Wake::Room);
}

void ReadAhead::skipRest()
{
    const std::lock_guard lock(m_mutex);
    Frame &frame = m_frames.back();
    dropChildrenLocked(*frame.read, frame.next);
    frame.next = frame.read->children.size();
}

void ReadAhead::clear()
{
    while (!m_frames.empty())
        pop();
}

// Every frame is closed when the top one is (the open ones are the deepest):
// open the chain again from the target folder and keep its deepest part open.
bool ReadAhead::reopenTop(const std::string &path)
{
    const std::size_t top = m_frames.size() - 1;
    std::vector<std::shared_ptr<FolderFd>> opened(top + 1);
    for (std::size_t i = 0; i <= top; ++i) {
        const Frame &frame = m_frames[i];
        int fd;
        if (i == 0) {
            const std::string folder = path.substr(0, frame.pathLength);
            fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } else {
            const std::size_t start = m_frames[i - 1].pathLength;
            const std::string name = path.substr(start, frame.pathLength - start - 1);
            fd = ::openat(opened[i - 1]->get(), name.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        }
        if (fd < 0)
            return false;
        opened[i] = std::make_shared<FolderFd>(fd);
        struct stat st;
        if (::fstat(fd, &st) != 0 || st.st_dev != frame.read->device || st.st_ino != frame.read->inode)
            return false;
        if (i > 0 && i - 1 + kOpenFrames <= top)
            opened[i - 1].reset();
    }
    const std::lock_guard lock(m_mutex);
    m_firstOpen = top + 1 > kOpenFrames ? top + 1 - kOpenFrames : 0;
    for (std::size_t i = m_firstOpen; i <= top; ++i)
        m_frames[i].read->fd = std::move(opened[i]);
    m_rewind = true;
    wakeHelpersLocked(Wake::Work);
    return true;
}

void ReadAhead::dropLocked(FolderNode &node)
{
    switch (node.state) {
    case FolderNode::Ready:
        dropChildrenLocked(*node.read, 0);
        unchargeLocked(*node.read);
        break;
    case FolderNode::Taken:
        if (node.read)
            dropChildrenLocked(*node.read, 0);
        break;
    case FolderNode::Dropped:
        return;
    default:
        break;
    }
    if (node.read && !node.read->children.empty())
        m_rewind = true; // the scan may stand in it
    node.read.reset();
    node.state = FolderNode::Dropped;
}

void ReadAhead::dropChildrenLocked(FolderRead &read, std::size_t from)
{
    for (std::size_t i = from; i < read.children.size(); ++i)
        dropLocked(read.children[i]);
}

void ReadAhead::unchargeLocked(FolderRead &read)
{
    m_windowBytes -= read.charged;
    read.charged = 0;
    --m_windowFolders;
}

// Wakes one sleeping helper, and only when there may be something for it:
// never while the window is full, nor, while reads come from the cache, when
// a helper is at work already. Room (the walk moved on, or a read landed with
// no new folders) wakes helpers that found the window full, once it is down
// to three quarters in folders and in bytes, and helpers that found nothing
// within the horizon; work (new folders known, a helper's own claim) wakes
// helpers that found nothing to claim, never those waiting for room. Waking
// them at every step of the walk would cost more than the reads they do.
void ReadAhead::wakeHelpersLocked(Wake why)
{
    if (!admits())
        return;
    // From the cache one helper at work keeps ahead of the walk; more would
    // only take turns on the processors. Only reads that wait for the disk
    // gain from being many at a time, and only as many as the tuner allows.
    if (!readsWait() && m_busyHelpers > 0)
        return;
    if (m_busyHelpers >= m_tuner.reads())
        return;
    if (m_idleHelpers == 0) {
        // Every helper is at work (the flags below are from helpers now
        // busy): one more, if there are folders to read.
        if (why == Wake::Work)
            startHelperLocked();
        return;
    }
    if (m_waitRoom) {
        if (why != Wake::Room || m_windowFolders > m_maxFolders * 3 / 4 || m_windowBytes > kWindowBytes * 3 / 4)
            return;
        m_waitRoom = false;
    } else if (why == Wake::Room && !m_waitHorizon) {
        return;
    }
    m_waitHorizon = false;
    m_helpersCv.notify_one();
}

void ReadAhead::startHelperLocked()
{
    if (m_quit || m_helpers.size() >= m_tuner.reads())
        return;
    try {
        m_helpers.emplace_back([this] { helperLoop(); });
    } catch (const std::exception &) {
        // Fewer helpers, or none: the walk reads what they do not.
        m_tuner.lowerCap(unsigned(m_helpers.size()));
    }
}

bool ReadAhead::admits() const
{
    return m_windowFolders < m_maxFolders && m_windowBytes < kWindowBytes;
}

// The first folder in walk order that nobody has read and the walk may need,
// no further than kHorizon folders ahead of the walk. The scan goes on from
// where the last one stopped, as folders are claimed in walk order: it starts
// again from the walk only when folders appear behind it (a read published
// with subfolders, a frame pushed or reopened), when a read it stands in is
// dropped or left, or when it reached the horizon.
bool ReadAhead::claimLocked(Claim &claim)
{
    if (m_rewind) {
        m_scan.clear();
        m_scanFrame = m_frames.size();
        m_scanSeen = 0;
        m_rewind = false;
    }
    for (;;) {
        if (m_scan.empty()) {
            // Closed frames are the shallowest: nothing below one can be opened.
            if (m_scanFrame == 0 || !m_frames[m_scanFrame - 1].read->fd)
                return false;
            const Frame &frame = m_frames[--m_scanFrame];
            m_scan.push_back({frame.read.get(), frame.next, frame.level + 1});
        }
        ScanLevel &at = m_scan.back();
        if (at.index >= at.read->children.size()) {
            m_scan.pop_back();
            continue;
        }
        FolderNode &node = at.read->children[at.index++];
        if (++m_scanSeen > kHorizon) {
            m_waitHorizon = true;
            m_rewind = true;
            return false;
        }
        const std::size_t level = at.level;
        if (node.state == FolderNode::Unread) {
            ReadWants wants = m_plan->wants(level);
            wants.placeState = at.read->placeStateOf(node, wants.rules);
            if (wants.masks || wants.subfolders) {
                claim = {&node, at.read->shared_from_this(), m_plan, wants};
                return true;
            }
        } else if ((node.state == FolderNode::Ready || node.state == FolderNode::Taken) && node.read
                   && node.childrenWanted && !node.read->children.empty()) {
            m_scan.push_back({node.read.get(), 0, level + 1});
        }
    }
}

void ReadAhead::helperLoop()
{
    ReadScratch scratch;
    unsigned reads = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_quit || stopped())
            return;
        Claim claim;
        if (!admits())
            m_waitRoom = true;
        // Over the number of reads in flight (it went down), this one rests.
        const bool enough = readsWait() && m_busyHelpers >= m_tuner.reads();
        if (m_waitRoom || enough || !claimLocked(claim)) {
            ++m_idleHelpers;
            m_helpersCv.wait(lock);
            --m_idleHelpers;
            continue;
        }
        readClaimed(claim, scratch, lock, true, reads++ % kSampleEvery == 0);
    }
}

void ReadAhead::readClaimed(Claim &claim, ReadScratch &scratch, std::unique_lock<std::mutex> &lock,
                            bool helper, bool sample)
{
    claim.node->state = FolderNode::Reading;
    ++m_windowFolders;
    if (helper) {
        ++m_busyHelpers;
        wakeHelpersLocked(Wake::Work); // the next one, if reads wait for the disk
    }
    std::shared_ptr<FolderFd> parentFd = claim.parent->fd;
    const std::uint64_t parentDevice = claim.parent->device;
    const char *name = claim.parent->name(*claim.node);
    lock.unlock();

    const long sleepsBefore = sample ? sleeps() : 0;
    std::shared_ptr<FolderRead> read;
    ReadResult result = ReadResult::NoDescriptor;
    try {
        read = std::make_shared<FolderRead>();
        result = readFolder(scratch, parentFd->get(), name, false, parentDevice, claim.wants,
                            m_stopFlag, *read);
    } catch (const std::bad_alloc &) {
        // Out of memory: never a helper's end (that would end the program).
        // As without descriptors, the walk then reads the folder itself, and
        // its own failure there ends the search.
        read.reset();
        result = ReadResult::NoDescriptor;
    }
    parentFd.reset();
    // A read not sampled counts as one from the cache: the next sample that
    // waited sets the count back, so it stays low while reads wait.
    const bool waited = sample && sleeps() != sleepsBefore;

    lock.lock();
    if (helper)
        m_readsSinceWait = waited ? 0 : m_readsSinceWait + 1;
    // Still counted at work: from the cache this helper goes on by itself.
    publishLocked(claim, result, std::move(read));
    if (helper)
        --m_busyHelpers;
}

void ReadAhead::publishLocked(Claim &claim, ReadResult result, std::shared_ptr<FolderRead> read)
{
    FolderNode &node = *claim.node;
    bool newFolders = false;
    if (node.state == FolderNode::Dropped || stopped() || result == ReadResult::NoDescriptor) {
        if (node.state == FolderNode::Reading)
            node.state = FolderNode::Deferred; // out of descriptors: the walk tries itself
        --m_windowFolders;
        read.reset();
    } else {
        newFolders = !read->children.empty();
        if (newFolders)
            m_rewind = true;
        read->charged = read->bytes();
        m_windowBytes += read->charged;
        node.read = std::move(read);
        node.state = FolderNode::Ready;
    }
    // The parent, and the node with it, may go now: under the lock, like
    // every read a helper sees.
    claim.parent.reset();
    if (m_walkWaiting)
        m_walkCv.notify_one();
    wakeHelpersLocked(newFolders ? Wake::Work : Wake::Room);
}

} // namespace dm
