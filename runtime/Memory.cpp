#include "Memory.h"

#include <malloc.h>

namespace dm {

void tuneAllocator()
{
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
}

void returnFreedMemory()
{
    malloc_trim(0);
}

} // namespace dm
