#include "simulation/Unit_TPassWorker.h"

#include "simulation/Unit_CpuHints.h"

#include <chrono>
#include <system_error>

namespace {

constexpr auto kSpinning = std::chrono::microseconds(50);

} // namespace

template <class TReady> bool TPassWorker::Spin(TReady&& ParaReady) {
    const auto until = std::chrono::steady_clock::now() + kSpinning;
    for (unsigned turn = 1;; ++turn) {
        if (ParaReady())
            return true;
        SpinPause();
        if (turn % 64 == 0 && std::chrono::steady_clock::now() >= until)
            return ParaReady();
    }
}

TPassWorker& TPassWorker::Shared() {
    // Joined at exit, after the last cycle.
    static TPassWorker worker;
    return worker;
}

TPassWorker::~TPassWorker() {
    if (!mThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mLock);
        mStop = true;
    }
    mChanged.notify_all();
    mThread.join();
}

bool TPassWorker::Start() {
    if (mThread.joinable())
        return true;
    if (mFailed)
        return false;
    try {
        mThread = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
        mFailed = true;
        return false;
    }
    return true;
}

void TPassWorker::Post(void (*ParaCall)(void*), void* ParaContext) {
    {
        std::lock_guard<std::mutex> lock(mLock);
        mContext = ParaContext;
        mCall = ParaCall;
    }
    mChanged.notify_all();
}

void TPassWorker::Wait() {
    if (Spin([this] { return mCall.load(std::memory_order_acquire) == nullptr; }))
        return;
    std::unique_lock<std::mutex> lock(mLock);
    mChanged.wait(lock, [this] { return mCall.load() == nullptr; });
}

void TPassWorker::Loop() {
    for (;;) {
        if (!Spin([this] { return mStop.load() || mCall.load(std::memory_order_acquire); })) {
            std::unique_lock<std::mutex> lock(mLock);
            mChanged.wait(lock, [this] { return mStop.load() || mCall.load() != nullptr; });
        }
        if (mStop)
            return;
        void (*call)(void*) = mCall.load(std::memory_order_acquire);
        void* context;
        {
            std::lock_guard<std::mutex> lock(mLock);
            context = mContext;
        }
        call(context);
        {
            std::lock_guard<std::mutex> lock(mLock);
            mContext = nullptr;
            mCall.store(nullptr, std::memory_order_release);
        }
        mChanged.notify_all();
    }
}
