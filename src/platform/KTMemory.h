#pragma once
// How the process's allocator keeps the memory it is given back.

/// Keeps up to 64 MB of the memory freed at the top of the heap for the next allocations (a
/// graph holds megabytes of sample points, which would otherwise go back to the system and be
/// faulted in anew for the next document), and lets large blocks (a dense implicit plot's
/// lattice, lines and points) go back to the system once freed rather than stay with the heap:
/// the allocator would otherwise raise the size from which blocks are mapped to each freed one.
/// Called once, first thing in main.
void KTTuneAllocator();
