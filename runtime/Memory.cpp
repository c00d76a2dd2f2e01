#include "Memory.h"

#include <QThreadPool>

#include <algorithm>
#include <malloc.h>
#include <thread>

namespace dm {

void tuneAllocator()
{
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    // A heap per core, not eight: every thread that ever allocated (the
    // walk's readers, the sort's helpers, the pool) kept one of its own,
    // each holding a few hundred kilobytes after the list was emptied.
    // More heaps than cores would only spare waits for threads that cannot
    // run at once anyway.
    mallopt(M_ARENA_MAX, int(std::max(2u, std::thread::hardware_concurrency())));
}

void returnFreedMemory()
{
    // On a pooled thread: the trim walks every heap, some milliseconds the
    // window need not wait for.
    QThreadPool::globalInstance()->start([] { malloc_trim(0); });
}

} // namespace dm
