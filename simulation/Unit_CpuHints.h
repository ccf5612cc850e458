// Hints to the processor that change no result: prefetches and the pause of
// a spinning wait. Compiler builtins where the compiler has them (g++ and
// clang, natively, for mingw-w64 and for WebAssembly), nothing elsewhere.
// Why and where they pay: docs/performance.md.
#pragma once

#if defined(__has_builtin)
#define VELTRANE_HAS_BUILTIN(ParaName) __has_builtin(ParaName)
#else
#define VELTRANE_HAS_BUILTIN(ParaName) 0
#endif

// Asks for the cache line at ParaAddress ahead of a read.
inline void PrefetchForRead(const void* ParaAddress) noexcept {
#if VELTRANE_HAS_BUILTIN(__builtin_prefetch)
    __builtin_prefetch(ParaAddress, 0);
#else
    (void)ParaAddress;
#endif
}

// Asks for the cache line at ParaAddress ahead of a write.
inline void PrefetchForWrite(const void* ParaAddress) noexcept {
#if VELTRANE_HAS_BUILTIN(__builtin_prefetch)
    __builtin_prefetch(ParaAddress, 1);
#else
    (void)ParaAddress;
#endif
}

// One turn of a spinning wait: lets the other hyper-thread of the core run.
inline void SpinPause() noexcept {
#if VELTRANE_HAS_BUILTIN(__builtin_ia32_pause)
    __builtin_ia32_pause();
#endif
}
