#include "simulation/Unit_Random.h"

#include "platform/Platform.h"

namespace {

std::uint32_t InitialState() {
    LARGE_INTEGER counter;
    if (QueryPerformanceCounter(&counter))
        return static_cast<std::uint32_t>(counter.QuadPart);
    return static_cast<std::uint32_t>(GetTickCount());
}

// Seeded once when the program starts, so every run plays differently.
std::uint32_t gRandomState = InitialState();

} // namespace

std::int32_t Random(std::int32_t ParaRange) {
    gRandomState = gRandomState * 134775813u + 1u;
    // The state read as a fraction of 2^32, scaled by the range; an arithmetic
    // shift keeps a negative range's result between the range and 0.
    const std::int64_t product =
        static_cast<std::int64_t>(ParaRange) * static_cast<std::int64_t>(gRandomState);
    return static_cast<std::int32_t>(product >> 32);
}

std::uint32_t RandomState() {
    return gRandomState;
}

void SetRandomState(std::uint32_t ParaState) {
    gRandomState = ParaState;
}
