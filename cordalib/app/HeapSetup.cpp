#include "cordalib/app/HeapSetup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

bool PrepareHeapForLibrary()
{
#if defined(__GLIBC__) && defined(__linux__) && defined(MADV_HUGEPAGE)
    // Address space only: pages become resident when first written, as before. The step
    // is also what the heap keeps at its top when memory is freed, so it stays moderate:
    // a library of tens of thousands of records fits in the first one.
    constexpr size_t HEAP_STEP = size_t{64} << 20;
    constexpr uintptr_t HUGE_PAGE = uintptr_t{2} << 20;
    if (mallopt(M_TOP_PAD, static_cast<int>(HEAP_STEP)) != 1)
        return false;
    // The heap grows by the new step the next time its free top runs out: make that
    // happen now, with blocks below the size that malloc would map on its own. They are
    // chained through their first bytes and given back at once.
    auto* const before = static_cast<char*>(sbrk(0));
    constexpr size_t BLOCK = 64 << 10;
    void* chain = nullptr;
    for (size_t taken = 0; static_cast<char*>(sbrk(0)) == before && taken < HEAP_STEP; taken += BLOCK) {
        void* block = std::malloc(BLOCK);
        if (!block)
            break;
        std::memcpy(block, &chain, sizeof chain);
        chain = block;
    }
    while (chain) {
        void* next = nullptr;
        std::memcpy(&next, chain, sizeof next);
        std::free(chain);
        chain = next;
    }
    // Freeing may have given some of the top back: the heap ends where it ends now.
    auto* const top = static_cast<char*>(sbrk(0));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(before) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    const auto end = reinterpret_cast<uintptr_t>(top);
    if (before == reinterpret_cast<char*>(-1) || end <= start)
        return false;
    return madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE) == 0;
#else
    return false;
#endif
}
