#pragma once
// Kernel pseudo file systems, which a cleaner must never walk.

namespace dm {

// True for an open folder on a kernel pseudo file system (proc, sysfs,
// devtmpfs, cgroup, debugfs and the like) that a cleaner must never walk.
bool isPseudoFileSystem(int fd);

} // namespace dm
