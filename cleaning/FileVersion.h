#pragma once
// What tells one version of a file from any other: a file deleted after the
// scan and created again may get the same inode, so device and inode alone
// would let a deletion remove the newcomer.

#include "FolderListing.h"

#include <cstdint>
#include <sys/stat.h>

namespace dm {

struct FileVersion
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;            // bytes
    std::int64_t modified = 0;         // last write, POSIX seconds
    std::int64_t changed = 0;          // last status change, POSIX seconds
    std::uint32_t modifiedNanos = 0;
    std::uint32_t changedNanos = 0;

    bool operator==(const FileVersion &) const = default;

    static FileVersion of(const FindData &d)
    {
        return {d.VolumeId, d.FileId, d.FileSize, d.LastWriteSeconds, d.ChangeSeconds,
                d.LastWriteNanos, d.ChangeNanos};
    }
    static FileVersion of(const struct stat &st)
    {
        return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                std::int64_t(st.st_mtim.tv_sec), std::int64_t(st.st_ctim.tv_sec),
                std::uint32_t(st.st_mtim.tv_nsec), std::uint32_t(st.st_ctim.tv_nsec)};
    }
};

} // namespace dm
