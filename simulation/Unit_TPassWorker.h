// A second thread for the cycle's long walks. The cycle itself stays on the
// thread it runs on: a walk hands part of its work to the helper, does the
// rest itself and returns only when both are done, so it has the effect of
// the same work done in one piece wherever the two parts touch separate
// data. The helper is started by the first walk worth sharing. A cycle hands
// it several walks in quick succession, so each side waits for the other
// spinning for a few tens of microseconds before it blocks: waking a blocked
// thread takes about as long as a small walk. Without a helper (if no thread
// can be started) every walk runs in one piece. docs/performance.md, Two
// threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <type_traits>

class TPassWorker {
public:
    // Below this many items a walk runs in one piece: waking the helper
    // would cost more than it saves.
    static constexpr std::size_t kShareFrom = 4096;

    TPassWorker() = default;
    ~TPassWorker();
    TPassWorker(const TPassWorker&) = delete;
    TPassWorker& operator=(const TPassWorker&) = delete;

    // A walk is worked in at most this many parts: the caller's and the helper's.
    static constexpr std::size_t kParts = 2;

    // ParaWork(part, begin, end) over [0, ParaCount): part 0, the lower half,
    // here and part 1, the upper half, on the helper; or all of it as part 0
    // here below kShareFrom. A part's index is what it may use to pick data
    // of its own.
    template <class TWork> void Split(std::size_t ParaCount, TWork&& ParaWork) {
        if (ParaCount < kShareFrom || !Start()) {
            ParaWork(std::size_t{0}, std::size_t{0}, ParaCount);
            return;
        }
        const std::size_t half = ParaCount / 2;
        auto upper = [&] { ParaWork(std::size_t{1}, half, ParaCount); };
        Post(&Call<decltype(upper)>, &upper);
        ParaWork(std::size_t{0}, std::size_t{0}, half);
        Wait();
    }

    // ParaHere() here and ParaThere() on the helper, at the same time when
    // ParaShare is true, else one after the other here.
    template <class THere, class TThere>
    void Both(bool ParaShare, THere&& ParaHere, TThere&& ParaThere) {
        if (!ParaShare || !Start()) {
            ParaHere();
            ParaThere();
            return;
        }
        Post(&Call<std::remove_reference_t<TThere>>, &ParaThere);
        ParaHere();
        Wait();
    }

    // Whether the helper thread runs, for tests.
    bool Started() const { return mThread.joinable(); }

    // The one helper of the simulation's cycle, for all of its walks: a
    // helper of each would leave one spinning while the other is woken, on
    // a machine with a core for each. Used from the simulation's thread only.
    static TPassWorker& Shared();

private:
    template <class TFunction> static void Call(void* ParaFunction) {
        (*static_cast<TFunction*>(ParaFunction))();
    }

    bool Start();
    void Post(void (*ParaCall)(void*), void* ParaContext);
    void Wait();
    void Loop();

    // Spins until ParaReady() holds or the spinning time is up.
    template <class TReady> static bool Spin(TReady&& ParaReady);

    std::thread mThread;
    bool mFailed = false; // a thread could not be started: never try again
    std::mutex mLock;
    std::condition_variable mChanged;
    // Set under the lock, read while spinning without it.
    std::atomic<void (*)(void*)> mCall{nullptr}; // work posted and not yet done
    void* mContext = nullptr;
    std::atomic<bool> mStop{false};
};
