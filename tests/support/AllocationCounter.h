// Counts every allocation of the process by replacing the global operator
// new. Include it in exactly one source file of a test program, which then
// counts for all of it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

inline std::atomic<std::size_t> gAllocations{0};

// Out of line: inlined, the compiler would pair the standard new it knows with
// the free in here and warn.
[[gnu::noinline]] void* operator new(std::size_t ParaSize) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(ParaSize == 0 ? 1 : ParaSize))
        return memory;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* ParaMemory) noexcept {
    std::free(ParaMemory);
}
[[gnu::noinline]] void operator delete(void* ParaMemory, std::size_t) noexcept {
    std::free(ParaMemory);
}
