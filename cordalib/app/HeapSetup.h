#pragma once
// Start-up tuning of the process heap for a library in memory.
//
// A library is tens of thousands of records, each a handful of small allocations: tens of
// megabytes of heap touched for the first time while the database loads. Every fresh
// 4 KiB page costs a page fault, and on virtual machines a fault is expensive enough to
// dominate the load. Asking for huge pages on the heap turns thousands of faults into a
// few. Call it first thing in main, before the heap has grown.

// Grows the heap in large steps and asks the kernel for huge pages on it. Returns false
// (and changes nothing that matters) where the platform offers no such thing; the
// program works the same either way, only the first touch of its memory is slower.
bool PrepareHeapForLibrary();
