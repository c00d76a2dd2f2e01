#pragma once
// Directory enumeration for the file search: one read of a folder, the names
// and entry types as the kernel lists them, and the status of single entries
// on request. The reader (FolderRead.h) matches names against its masks on
// the listing and asks for an entry's status only when its name matched, so a
// folder costs one getdents pass plus one statx per matched entry (and a
// status read per entry of unknown type, to tell folders).
//
// Entries keep the kernel's listing order. Sockets, FIFOs and device nodes are
// never reported as found entries; symbolic links are reported as the link
// itself and never entered.

#include "UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace dm {

// Attribute bits of a found entry.
inline constexpr std::uint32_t faReadOnly = 0x01;  // owner has no write permission
inline constexpr std::uint32_t faHidden = 0x02;    // name begins with "."
inline constexpr std::uint32_t faSystem = 0x04;    // never set on Linux
inline constexpr std::uint32_t faVolumeId = 0x08;  // never set on Linux
inline constexpr std::uint32_t faDirectory = 0x10; // a real folder, never a link
inline constexpr std::uint32_t faArchive = 0x20;   // every regular file and link

// The status of one found entry. Times are file times (100 ns since 1601, UTC).
struct FindData
{
    std::uint32_t Attributes = 0;
    std::int64_t CreationTime = 0;   // birth time where the file system has it, else mtime
    std::int64_t LastAccessTime = 0; // atime
    std::int64_t LastWriteTime = 0;  // mtime
    std::uint64_t FileSize = 0;      // full size in bytes
    std::int64_t LastWriteSeconds = 0; // mtime as POSIX seconds, for local-time packing
    // Device and inode: which entry this is, so that a later step acting on the
    // path can tell whether the path still names the same entry.
    std::uint64_t VolumeId = 0;
    std::uint64_t FileId = 0;
    // The nanoseconds of the last write and the last status change (ctime),
    // which with size, device and inode tell one version of a file from a
    // later one that reuses its inode.
    std::uint32_t LastWriteNanos = 0;
    std::int64_t ChangeSeconds = 0;
    std::uint32_t ChangeNanos = 0;
};

// One read of one folder: the entries but "." and "..", in listing order.
// The object keeps its buffers between reads, so a reader that keeps one
// listing (each reading thread has its own) allocates only while folders grow
// wider than any seen before, short of what releaseIfLarger gives back.
class DirectoryListing
{
public:
    struct Entry
    {
        std::uint32_t offset;  // of the NUL-terminated name in the buffer
        std::uint32_t length;  // of the name in bytes
        unsigned char type;    // d_type (DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN, ...)
        bool ascii;            // the name is plain ASCII
    };

    DirectoryListing() = default;
    DirectoryListing(const DirectoryListing &) = delete;
    DirectoryListing &operator=(const DirectoryListing &) = delete;

    // Opens name relative to dirFd (an absolute name ignores dirFd; AT_FDCWD
    // for the current folder) and reads it whole. A final symbolic link is
    // followed only with followLink. False, with an empty listing, when it
    // cannot be opened. A listing cut short by a read error keeps what was read.
    bool read(int dirFd, const char *name, bool followLink = false);

    // Closes the folder; the entries stay readable until the next read.
    void close() { m_fd.reset(); }
    // Hands the open folder over to the caller; the entries stay readable
    // until the next read.
    UniqueFd takeFd() { return std::move(m_fd); }
    // Frees the buffers when they take more than `bytes`, so that one very
    // wide folder does not leave its memory held for the rest of a walk.
    void releaseIfLarger(std::size_t bytes);

    // The open folder, or -1.
    int fd() const { return m_fd.get(); }
    // Device of the open folder (fstat), 0 when unknown.
    dev_t device() const;

    std::size_t size() const { return m_entries.size(); }
    const Entry &operator[](std::size_t i) const { return m_entries[i]; }
    const char *name(const Entry &e) const { return m_buffer.data() + e.offset; }
    std::string_view nameView(const Entry &e) const { return {name(e), e.length}; }

private:
    UniqueFd m_fd;
    std::vector<char> m_buffer;
    std::vector<Entry> m_entries;
};

// Status of entry name in folder dirFd, without following a link. False when
// the entry is gone, cannot be examined, or is a socket, FIFO or device node.
bool statEntry(int dirFd, const char *name, FindData &data);

// True when the entry of the listing is a real folder (by its type, or by its
// status when the file system does not give types).
bool isFolderEntry(int dirFd, const char *name, unsigned char type);

} // namespace dm
