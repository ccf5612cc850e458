#include "simulation/Unit_TPassWorker.h"

#include <system_error>

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
        mCall = ParaCall;
        mContext = ParaContext;
    }
    mChanged.notify_all();
}

void TPassWorker::Wait() {
    std::unique_lock<std::mutex> lock(mLock);
    mChanged.wait(lock, [this] { return mCall == nullptr; });
}

void TPassWorker::Loop() {
    std::unique_lock<std::mutex> lock(mLock);
    for (;;) {
        mChanged.wait(lock, [this] { return mStop || mCall != nullptr; });
        if (mStop)
            return;
        void (*call)(void*) = mCall;
        void* context = mContext;
        lock.unlock();
        call(context);
        lock.lock();
        mCall = nullptr;
        mContext = nullptr;
        mChanged.notify_all();
    }
}
