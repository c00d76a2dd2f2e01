#pragma once
// What the program holds after a long list is gone goes back to the system.

namespace dm {

// Called once at start, before any thread: blocks of a megabyte and more
// (a long list's orders, folder table and sort keys) are mapped on their
// own, so that freeing them returns them at once. The C library would
// otherwise raise that bound to the largest block freed so far, and keep
// tens of megabytes in its heaps after a million-row list is emptied.
// Threads share a heap per core.
void tuneAllocator();

// Returns the free pages of every heap to the system, in the background:
// after a long list was emptied.
void returnFreedMemory();

} // namespace dm
