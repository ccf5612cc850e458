#include "HelperSwitch.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

namespace {

std::atomic<int> gThreadsStarted{0};
std::atomic<bool> gRefuse{false};

} // namespace

// Every std::thread starts here before the C library's own.
extern "C" int pthread_create(pthread_t* ParaThread, const pthread_attr_t* ParaAttributes,
                              void* (*ParaStart)(void*), void* ParaArgument) noexcept {
    if (gRefuse)
        return EAGAIN;
    using TCreate = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<TCreate>(dlsym(RTLD_NEXT, "pthread_create"));
    if (next == nullptr)
        return EAGAIN;
    const int result = next(ParaThread, ParaAttributes, ParaStart, ParaArgument);
    if (result == 0)
        ++gThreadsStarted;
    return result;
}

bool CanRefuseThreads() {
    return true;
}

void RefuseThreads() {
    gRefuse = true;
}

const char* CycleThreads() {
    return gThreadsStarted > 0 ? "2" : "1";
}

#else

bool CanRefuseThreads() {
    return false;
}

void RefuseThreads() {}

const char* CycleThreads() {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return "1";
#else
    return "unknown";
#endif
}

#endif
