#include "Memory.h"

#include <QThreadPool>

#include <malloc.h>

namespace dm {

void tuneAllocator()
{
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
}

void returnFreedMemory()
{
    // On a pooled thread: the trim walks every heap, some milliseconds the
    // window need not wait for.
    QThreadPool::globalInstance()->start([] { malloc_trim(0); });
}

} // namespace dm
