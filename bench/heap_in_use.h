#pragma once

// The bytes the benchmark's allocator has handed out and not yet taken back, for measuring the memory of a tree.
// Benchmarks link the program's allocator (jemalloc); the sanitizer build, which only checks that they start, keeps
// its runtime's.

#include <cstddef>
#include <cstdint>

#ifdef ZEPHALON_JEMALLOC
#include <jemalloc/jemalloc.h>
#else
#include <malloc.h>
#endif

namespace zephalon::bench {

inline std::size_t heapInUse() {
#ifdef ZEPHALON_JEMALLOC
    // Blocks freed into this thread's cache still count as allocated until the cache returns them, and the
    // statistics are a snapshot, taken anew when the epoch advances.
    mallctl("thread.tcache.flush", nullptr, nullptr, nullptr, 0);
    std::uint64_t epoch = 1;
    std::size_t size = sizeof epoch;
    mallctl("epoch", &epoch, &size, &epoch, size);
    std::size_t allocated = 0;
    size = sizeof allocated;
    if (mallctl("stats.allocated", &allocated, &size, nullptr, 0) != 0) return 0;
    return allocated;
#else
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace zephalon::bench
