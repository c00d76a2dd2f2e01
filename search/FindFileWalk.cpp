// The walk: depth-first, pre-order, without recursion. Each folder is read
// once (one getdents pass); the mask passes, last mask to first, run over
// that listing at once, and the names of its subfolders are kept in a frame
// on the walk's own stack until they have been entered. An entry's status is
// fetched only when its name matched a mask; the subfolder pass goes by the
// entry type the kernel gives. Symbolic links are never entered, and folders
// of kernel pseudo file systems are never read.
//
// Depth costs memory only. Every folder is opened relative to its parent, so
// no path length limit applies, and at most kOpenFolders frames keep their
// folder open: when a shallower frame needs its folder again, it is opened
// anew step by step from the target folder, one name at a time without
// following links, and must still be the same folder (device and inode).

#include "FindFile.h"
#include "TargetSearch.h"

#include "DateTime.h"
#include "FolderListing.h"
#include "NameMatch.h"
#include "PseudoFileSystem.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dm {

namespace {

// Folders held open by one walk, however deep: far below any open-file limit.
constexpr std::size_t kOpenFolders = 32;
// Buffers larger than this are given back after the folder that needed them.
constexpr std::size_t kKeptBufferBytes = 256 << 10;

// Sockets, FIFOs and devices are never reported; skip them before matching.
bool neverReported(unsigned char type)
{
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

bool identify(int fd, std::uint64_t &device, std::uint64_t &inode)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

} // namespace

void TFindFile::RunSearch()
{
    if (!m_listing)
        m_listing = std::make_unique<DirectoryListing>();
    TTargetFolderList &targets = m_search->TargetFolders;
    std::size_t i = targets.Count();
    while (!AbortRequested() && i > 0) {
        --i;
        setLevel(0);
        m_current = &targets[i];
        m_masks.clear();
        for (const std::string &mask : m_current->FileMasks)
            m_masks.emplace_back(mask);
        SearchIn(m_current->Folder);
    }
}

void TFindFile::setLevel(std::size_t level)
{
    m_level = level;
    m_folderLevel.store(static_cast<std::uint16_t>(level < 0xFFFF ? level : 0xFFFF),
                        std::memory_order_relaxed);
}

void TFindFile::SearchIn(const std::string &Folder)
{
    if (!m_listing)
        m_listing = std::make_unique<DirectoryListing>();
    // Closes every folder and restores the level however the walk is left.
    struct Guard
    {
        TFindFile *self;
        std::size_t level;
        ~Guard() { self->closeWalk(level); }
    } guard{this, m_level};

    m_path = Folder;
    // A folder left empty by the path expansion is the current folder.
    enterFolder(AT_FDCWD, Folder.empty() ? "." : Folder.c_str(), 0);
    while (m_depth > 0) {
        WalkFrame &top = m_frames[m_depth - 1];
        if (AbortRequested() || top.next >= top.subfolders.size()) {
            leaveFrame();
            continue;
        }
        m_path.resize(top.pathLength);
        if (top.fd < 0 && !reopenTopFrame()) {
            top.next = top.subfolders.size(); // the folder is gone or was replaced
            continue;
        }
        // The name stays valid until enterFolder has opened it; only then may a
        // new frame move the frames.
        const char *name = top.subfolders.data() + top.next;
        const std::size_t length = std::strlen(name);
        top.next += length + 1;
        m_path.append(name, length);
        m_path += '/';
        enterFolder(top.fd, name, top.device);
    }
}

void TFindFile::enterFolder(int parentFd, const char *name, std::uint64_t parentDevice)
{
    setLevel(m_level + 1);
    const TFolderIgnore ignore = DoFolderChange(m_path);
    const TTargetFolder &target = *m_current;
    const bool files = (ignore == fiNone || ignore == fiJustSubfolders) && m_level >= target.MinLevel
        && !m_masks.empty();
    const bool subfolders = target.Subfolders && (ignore == fiNone || ignore == fiJustThis)
        && (target.MaxLevel == 0 || m_level < target.MaxLevel);
    bool pushed = false;
    // A target folder is the one the user named, even through a link; a
    // link met inside the walk is never entered.
    if ((files || subfolders) && !AbortRequested()
        && m_listing->read(parentFd, name, parentFd == AT_FDCWD)) {
        const int fd = m_listing->fd();
        std::uint64_t device = 0, inode = 0;
        if (identify(fd, device, inode) && (device == parentDevice || !isPseudoFileSystem(fd))) {
            if (files)
                searchFiles(fd);
            if (subfolders && !AbortRequested())
                pushed = pushSubfolders(fd, device, inode);
        }
    }
    if (!pushed) {
        m_listing->close();
        setLevel(m_level - 1);
    }
    m_listing->releaseIfLarger(kKeptBufferBytes);
}

void TFindFile::searchFiles(int fd)
{
    const DirectoryListing &listing = *m_listing;
    m_rec.FindHandle = fd;
    std::size_t k = m_masks.size();
    while (!AbortRequested() && k > 0) {
        const FileMask &mask = m_masks[--k];
        for (std::size_t e = 0; e < listing.size(); ++e) {
            const DirectoryListing::Entry &entry = listing[e];
            if (neverReported(entry.type) || !mask.matches(listing.nameView(entry), entry.ascii))
                continue;
            const char *entryName = listing.name(entry);
            if (statEntry(fd, entryName, m_rec.FindData)) {
                m_rec.Name.assign(entryName, entry.length);
                m_rec.Attr = m_rec.FindData.Attributes;
                m_rec.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_rec.FindData.FileSize));
                m_rec.Time = UnixToDosDateTime(m_rec.FindData.LastWriteSeconds);
                if (AcceptFile(m_path, m_rec))
                    DoFileMatch(m_path, m_rec);
            }
            if (AbortRequested())
                break;
        }
    }
    m_rec.FindHandle = -1;
}

bool TFindFile::pushSubfolders(int fd, std::uint64_t device, std::uint64_t inode)
{
    if (m_depth == m_frames.size())
        m_frames.emplace_back();
    WalkFrame &frame = m_frames[m_depth];
    frame.subfolders.clear();
    frame.next = 0;
    const DirectoryListing &listing = *m_listing;
    for (std::size_t e = 0; e < listing.size(); ++e) {
        const DirectoryListing::Entry &entry = listing[e];
        const char *entryName = listing.name(entry);
        if (isFolderEntry(fd, entryName, entry.type))
            frame.subfolders.append(entryName, entry.length + 1); // with its NUL
    }
    if (frame.subfolders.empty())
        return false;
    // The shallowest open frame gives up its folder to the new one.
    if (m_depth - m_firstOpen >= kOpenFolders) {
        WalkFrame &oldest = m_frames[m_firstOpen++];
        ::close(oldest.fd);
        oldest.fd = -1;
    }
    frame.fd = m_listing->takeFd();
    frame.device = device;
    frame.inode = inode;
    frame.pathLength = m_path.size();
    ++m_depth;
    return true;
}

void TFindFile::leaveFrame()
{
    WalkFrame &frame = m_frames[--m_depth];
    if (frame.fd >= 0)
        ::close(frame.fd);
    frame.fd = -1;
    if (frame.subfolders.capacity() > kKeptBufferBytes)
        std::string().swap(frame.subfolders);
    if (m_firstOpen > m_depth)
        m_firstOpen = m_depth;
    if (m_depth > 0)
        m_path.resize(m_frames[m_depth - 1].pathLength);
    setLevel(m_level - 1);
}

// Every frame is closed when the top one is (the open ones are the deepest):
// open the chain again from the target folder and keep its deepest part open.
bool TFindFile::reopenTopFrame()
{
    const std::size_t top = m_depth - 1;
    int parent = AT_FDCWD;
    for (std::size_t i = 0; i <= top; ++i) {
        WalkFrame &frame = m_frames[i];
        int fd;
        if (i == 0) {
            const std::string folder = m_path.substr(0, frame.pathLength);
            fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } else {
            const std::size_t start = m_frames[i - 1].pathLength;
            const std::string name = m_path.substr(start, frame.pathLength - start - 1);
            fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        }
        if (i > 0 && m_frames[i - 1].fd < 0)
            ::close(parent);
        std::uint64_t device = 0, inode = 0;
        if (fd >= 0 && (!identify(fd, device, inode) || device != frame.device || inode != frame.inode)) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0) {
            for (std::size_t j = 0; j < i; ++j)
                if (m_frames[j].fd >= 0)
                    ::close(std::exchange(m_frames[j].fd, -1));
            return false;
        }
        parent = fd;
        if (i + kOpenFolders > top)
            frame.fd = fd;
    }
    m_firstOpen = top + 1 > kOpenFolders ? top + 1 - kOpenFolders : 0;
    return true;
}

void TFindFile::closeWalk(std::size_t level)
{
    while (m_depth > 0) {
        WalkFrame &frame = m_frames[--m_depth];
        if (frame.fd >= 0)
            ::close(frame.fd);
        frame.fd = -1;
    }
    m_firstOpen = 0;
    m_listing->close();
    setLevel(level);
}

} // namespace dm
