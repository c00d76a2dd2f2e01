#include "FolderListing.h"
#include "DateTime.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace dm {

void DirectoryListing::releaseIfLarger(std::size_t bytes)
{
    if (m_buffer.capacity() > bytes)
        std::vector<char>().swap(m_buffer);
    if (m_entries.capacity() * sizeof(Entry) > bytes)
        std::vector<Entry>().swap(m_entries);
}

dev_t DirectoryListing::device() const
{
    struct stat st;
    return (m_fd && ::fstat(m_fd.get(), &st) == 0) ? st.st_dev : 0;
}

bool DirectoryListing::read(int dirFd, const char *name, bool followLink)
{
    close();
    m_entries.clear();
    m_fd.reset(::openat(dirFd, name,
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW)));
    if (!m_fd)
        return false;
    constexpr std::size_t kChunk = 32768;
    std::size_t used = 0;
    for (;;) {
        if (m_buffer.size() < used + kChunk)
            m_buffer.resize(used + kChunk);
        const ssize_t n = ::getdents64(m_fd.get(), m_buffer.data() + used, m_buffer.size() - used);
        if (n <= 0)
            break;
        std::size_t pos = used;
        const std::size_t stop = used + static_cast<std::size_t>(n);
        while (pos < stop) {
            const auto *d = reinterpret_cast<const dirent64 *>(m_buffer.data() + pos);
            const char *nm = d->d_name;
            std::size_t len = 0;
            unsigned char any = 0;
            while (nm[len]) {
                any |= static_cast<unsigned char>(nm[len]);
                ++len;
            }
            const bool dots = nm[0] == '.' && (len == 1 || (len == 2 && nm[1] == '.'));
            if (!dots) {
                m_entries.push_back({static_cast<std::uint32_t>(nm - m_buffer.data()),
                                     static_cast<std::uint32_t>(len), d->d_type, any < 0x80});
            }
            pos += d->d_reclen;
        }
        used = stop;
    }
    return true;
}

bool statEntry(int dirFd, const char *name, FindData &data)
{
    struct statx sx;
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME
                    | STATX_CTIME,
                &sx) != 0)
        return false;
    std::uint32_t attr;
    if (S_ISDIR(sx.stx_mode))
        attr = faDirectory;
    else if (S_ISREG(sx.stx_mode) || S_ISLNK(sx.stx_mode))
        attr = faArchive;
    else
        return false;
    if (name[0] == '.')
        attr |= faHidden;
    if (!(sx.stx_mode & S_IWUSR) && !S_ISLNK(sx.stx_mode))
        attr |= faReadOnly;
    data.Attributes = attr;
    data.FileSize = sx.stx_size;
    data.LastWriteTime = UnixToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    data.LastAccessTime = UnixToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    data.CreationTime = (sx.stx_mask & STATX_BTIME)
        ? UnixToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
        : data.LastWriteTime;
    data.LastWriteSeconds = sx.stx_mtime.tv_sec;
    data.LastWriteNanos = sx.stx_mtime.tv_nsec;
    data.ChangeSeconds = sx.stx_ctime.tv_sec;
    data.ChangeNanos = sx.stx_ctime.tv_nsec;
    data.VolumeId = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    data.FileId = sx.stx_ino;
    return true;
}

bool isFolderEntry(int dirFd, const char *name, unsigned char type)
{
    if (type != DT_UNKNOWN)
        return type == DT_DIR;
    struct stat st;
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0
        && S_ISDIR(st.st_mode);
}

} // namespace dm
