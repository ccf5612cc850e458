#include "simulation/Unit_TPerson.h"

#include "simulation/Unit_Random.h"

#include "opengl/unit_opengl_api_110_routines_version_011.h"

#include <cmath>
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VELTRANE_POISON(ParaAddress, ParaSize) __asan_poison_memory_region(ParaAddress, ParaSize)
#define VELTRANE_UNPOISON(ParaAddress, ParaSize)                                                   \
    __asan_unpoison_memory_region(ParaAddress, ParaSize)
#else
#define VELTRANE_POISON(ParaAddress, ParaSize) ((void)(ParaAddress), (void)(ParaSize))
#define VELTRANE_UNPOISON(ParaAddress, ParaSize) ((void)(ParaAddress), (void)(ParaSize))
#endif

std::int32_t SpeedRange = 30;
std::vector<std::unique_ptr<TPerson>> Persons;
std::uint64_t PersonsGeneration = 0;

namespace {

// Two cache lines a person: the passes read the first of them only, where they can.
static_assert(sizeof(TPerson) == 128, "a person is two cache lines");

// The pool: blocks of slots, handed out in address order, so that a
// population made in one go lies in index order, two lines a person. Freed
// slots go to a list and are reused first; once every person is gone the
// blocks are returned, and the next population starts again at the front.
// Plain data only, so that it outlives every static list of persons.
constexpr std::size_t kSlot = sizeof(TPerson);
constexpr std::size_t kSlotsPerBlock = 4096;
constexpr std::size_t kBlockBytes = kSlot * (kSlotsPerBlock + 1); // the first slot links the blocks

struct TBlock {
    TBlock* mNext;
};

TBlock* gBlocks = nullptr;
char* gNext = nullptr;
char* gEnd = nullptr;
void* gFree = nullptr;
std::size_t gLive = 0;

void* TakeSlot() {
    if (gFree != nullptr) {
        void* slot = gFree;
        VELTRANE_UNPOISON(slot, kSlot);
        gFree = *static_cast<void**>(slot);
        ++gLive;
        return slot;
    }
    if (gNext == gEnd) {
        auto* block = static_cast<TBlock*>(::operator new (kBlockBytes, std::align_val_t{64}));
        block->mNext = gBlocks;
        gBlocks = block;
        gNext = reinterpret_cast<char*>(block) + kSlot;
        gEnd = reinterpret_cast<char*>(block) + kBlockBytes;
        VELTRANE_POISON(gNext, kBlockBytes - kSlot);
    }
    void* slot = gNext;
    VELTRANE_UNPOISON(slot, kSlot);
    gNext += kSlot;
    ++gLive;
    return slot;
}

void GiveSlot(void* ParaSlot) noexcept {
    *static_cast<void**>(ParaSlot) = gFree;
    gFree = ParaSlot;
    VELTRANE_POISON(ParaSlot, kSlot);
    if (--gLive != 0)
        return;
    while (gBlocks != nullptr) {
        TBlock* next = gBlocks->mNext;
        VELTRANE_UNPOISON(gBlocks, kBlockBytes);
        ::operator delete (gBlocks, std::align_val_t{64});
        gBlocks = next;
    }
    gNext = gEnd = nullptr;
    gFree = nullptr;
}

} // namespace

void* TPerson::operator new(std::size_t ParaSize) {
    // A class derived from TPerson would not fit a slot.
    if (ParaSize != kSlot)
        return ::operator new (ParaSize, std::align_val_t{alignof(TPerson)});
    return TakeSlot();
}

void TPerson::operator delete(void* ParaMemory, std::size_t ParaSize) noexcept {
    if (ParaMemory == nullptr)
        return;
    // Whatever operator new did not take from the pool goes back where it came from.
    if (ParaSize != kSlot)
        ::operator delete (ParaMemory, std::align_val_t{alignof(TPerson)});
    else
        GiveSlot(ParaMemory);
}

std::size_t TPerson::PooledSlots() {
    return gLive;
}

void TPerson::Initialize() {
    mCycle = 0;
    mInfectionCycle = 0;
    mDeadCycle = 0;
    mDead = false;
    mBuried = false;

    mAngle = Random(360);
    mSpeed = Random(SpeedRange) / 10.0;
    mStartChangeAngleAfterCycle = Random(100) + 10;
    mStopChangeAngleAfterCycle = mStartChangeAngleAfterCycle + Random(100) + 10;
    mAngleChangeSpeed = Random(10) / 10.0;
    mResetCycle = mStopChangeAngleAfterCycle + Random(500) + 10;
    mDeadAfterInfectionCycle = Random(420) + 420;
    mBuriedAfterDeadCycle = Random(180) + 60;
    mSize = Random(3) + 3;
}

bool TPerson::Select(std::int32_t ParaX, std::int32_t ParaY) const {
    return mPositionX - mSize <= ParaX && ParaX <= mPositionX + mSize &&
           mPositionY - mSize <= ParaY && ParaY <= mPositionY + mSize;
}

void TPerson::Draw() const {
    using namespace opengl_api;
    // Sums in double from the exact position; only the vertex is single precision.
    const double x = mPositionX;
    const double y = mPositionY;
    const std::int32_t s = mSize;
    const auto vertex = [](double ParaX, double ParaY) {
        glVertex2f(static_cast<GLfloat>(ParaX), static_cast<GLfloat>(ParaY));
    };
    if (!mDead) {
        glBegin(GL_QUADS);
        // The last colour call wins: white, red if infected, blue if
        // quarantined, green if both.
        glColor3f(1.0f, 1.0f, 1.0f);
        if (mInfected)
            glColor3f(1.0f, 0.0f, 0.0f);
        if (mQuarantined)
            glColor3f(0.0f, 0.0f, 1.0f);
        if (mInfected && mQuarantined)
            glColor3f(0.0f, 1.0f, 0.0f);
        vertex(x - s, y - s);
        vertex(x + s, y - s);
        vertex(x + s, y + s);
        vertex(x - s, y + s);
        glEnd();
    } else if (!mBuried) {
        glBegin(GL_LINES);
        glColor3f(0.8f, 0.8f, 0.8f);
        vertex(x - s, y);
        vertex(x + s, y);
        // The long arm points down the screen.
        vertex(x, y - s);
        vertex(x, y + 3 * s);
        glEnd();
    } else {
        glBegin(GL_POINTS);
        glColor3f(static_cast<GLfloat>(136 / 255.0), static_cast<GLfloat>(96 / 255.0),
                  static_cast<GLfloat>(11 / 255.0));
        vertex(x, y);
        glEnd();
    }
}
