#include "platform/DecimalSeparator.h"
#include "platform/Platform.h"
#include "timing/unit_TSpeedThrottle_version_021.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <functional>
#include <array>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Time stands still until the test moves it: the counter runs in
// tcm_simulation, by default at 1000 ticks per second.
class TSimulatedThrottle : public TSpeedThrottle {
public:
    explicit TSimulatedThrottle(std::int64_t ParaFrequency = 1000) {
        TimeCounter().SetMode(tcm_simulation);
        TimeCounter().SetFrequency(ParaFrequency);
        SetTimeCounterMode(tcm_simulation); // takes the frequency over
    }
    void Advance(std::int64_t ParaTicks) {
        TimeCounter().SetTick(TimeCounter().Tick() + ParaTicks);
    }
};

// The settings the game runs with, in the order it writes them.
void SetUpAsUniverse(TSpeedThrottle& ParaThrottle) {
    ParaThrottle.SetSpeed(60);
    ParaThrottle.SetMaximumExtractionQuantity(80000);
    ParaThrottle.SetMaximumWaitingTime(1);
    ParaThrottle.SetEnabled(true);
}

// The message of a request above the maximum, or a note that there was none.
std::string AssertionMessage(TSpeedThrottle& ParaThrottle, double ParaQuantity) {
    try {
        ParaThrottle.SleepIfWaitingTimeAvailable(ParaQuantity);
    } catch (const EAssertionFailed& failure) {
        return std::string(failure.what());
    }
    return std::string("no assertion failure");
}

#ifndef _WIN32
// Sets the locale variables for one test and puts the old values back.
class TLocaleEnvironment {
public:
    TLocaleEnvironment() {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            if (const char* value = std::getenv(kNames[i]))
                mSaved[i] = value;
    }
    ~TLocaleEnvironment() {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            Set(kNames[i], mSaved[i] ? mSaved[i]->c_str() : nullptr);
    }
    TLocaleEnvironment(const TLocaleEnvironment&) = delete;
    TLocaleEnvironment& operator=(const TLocaleEnvironment&) = delete;

    // Null unsets.
    void Use(const char* ParaAll, const char* ParaNumeric, const char* ParaLang) {
        Set("LC_ALL", ParaAll);
        Set("LC_NUMERIC", ParaNumeric);
        Set("LANG", ParaLang);
    }

private:
    static void Set(const char* ParaName, const char* ParaValue) {
        if (ParaValue)
            setenv(ParaName, ParaValue, 1);
        else
            unsetenv(ParaName);
    }
    static constexpr std::array<const char*, 3> kNames = {"LC_ALL", "LC_NUMERIC", "LANG"};
    std::array<std::optional<std::string>, 3> mSaved;
};

constexpr const char* kCommaLocale = "de_DE.UTF-8";
#endif

// Every uncovered request of 1 plans a wait of 30 s (1 per minute, capped).
void SetUpForLongWaits(TSpeedThrottle& ParaThrottle) {
    ParaThrottle.SetSpeed(1.0 / 60);
    ParaThrottle.SetMaximumExtractionQuantity(80000);
    ParaThrottle.SetMaximumWaitingTime(30);
    ParaThrottle.SetEnabled(true);
}

// Runs a sleep and measures how long it really took.
std::int32_t TimedSleep(TSpeedThrottle& ParaThrottle, double ParaQuantity,
                        Clock::duration& ParaElapsed) {
    const auto start = Clock::now();
    const std::int32_t planned = ParaThrottle.SleepIfWaitingTimeAvailable(ParaQuantity);
    ParaElapsed = Clock::now() - start;
    return planned;
}

} // namespace

TEST(SpeedThrottle, NewThrottleIsDisabledAndGrantsAtOnce) {
    TSpeedThrottle throttle;
    EXPECT_FALSE(throttle.Enabled());
    EXPECT_FALSE(throttle.Paused());
    EXPECT_EQ(throttle.Speed(), 0);
    EXPECT_EQ(throttle.TimeCounterMode(), tcm_high_accuracy);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    // Above the maximum extraction quantity of 0, yet no assertion: disabled.
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 0);
}

TEST(SpeedThrottle, DisabledReportsTheMaximumAndIgnoresUseAndWrites) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetQuantity(50);
    throttle.SetEnabled(false);

    for (bool paused : {false, true}) {
        throttle.SetPaused(paused);
        throttle.Advance(1000);
        EXPECT_EQ(throttle.QuantityAvailable(), 80000);
        EXPECT_EQ(throttle.WaitingTimeAvailable(1e9), 0);
        EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1e9), 0);
        const double before = throttle.Quantity();
        throttle.QuantityUsed(10);
        throttle.SetQuantity(7);
        EXPECT_EQ(throttle.Quantity(), before);
    }
    // Pausing empties the bucket whatever the enabled flag.
    EXPECT_EQ(throttle.Quantity(), 0);
}

TEST(SpeedThrottle, FillsAtTheSpeedUpToTheCap) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.Reset();
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    EXPECT_DOUBLE_EQ(throttle.WaitingTimeAvailable(1), 1.0 / 60);
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 17);

    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);
    EXPECT_EQ(throttle.WaitingTimeAvailable(30), 0);
    EXPECT_EQ(throttle.WaitingTimeAvailable(-5), 0);

    throttle.QuantityUsed(29.5);
    EXPECT_DOUBLE_EQ(throttle.Quantity(), 0.5);
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 9); // 8.33 ms, rounded up

    // The maximum itself is a valid request; its wait is capped.
    EXPECT_EQ(throttle.WaitingTimeAvailable(80000), 1);

    throttle.Advance(30 * 60 * 1000); // half an hour without calls
    EXPECT_EQ(throttle.QuantityAvailable(), 80000);
    EXPECT_EQ(throttle.WaitingTimeAvailable(80000), 0);

    throttle.QuantityUsed(90000);
    EXPECT_EQ(throttle.Quantity(), 0);
}

TEST(SpeedThrottle, QuantityWriteIsCappedButNotFloored) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetQuantity(1e9);
    EXPECT_EQ(throttle.Quantity(), 80000);

    throttle.SetQuantity(-30);
    EXPECT_EQ(throttle.Quantity(), -30);
    EXPECT_DOUBLE_EQ(throttle.WaitingTimeAvailable(1), 31.0 / 60);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.WaitingTimeAvailable(1), 1.0 / 60);
    throttle.Advance(500);
    EXPECT_EQ(throttle.WaitingTimeAvailable(1), 0);

    // A negative use adds without any cap.
    throttle.QuantityUsed(-1e6);
    EXPECT_DOUBLE_EQ(throttle.Quantity(), 30 + 1e6);
}

TEST(SpeedThrottle, WithoutPositiveSpeedEveryUncoveredRequestWaitsTheMaximum) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetSpeed(0);
    throttle.Advance(10000);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    EXPECT_EQ(throttle.WaitingTimeAvailable(1), 1);
    EXPECT_EQ(throttle.WaitingTimeAvailable(0), 0);

    // A negative speed drains the bucket at every refill, without a floor.
    throttle.SetSpeed(-60);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), -30);
    EXPECT_EQ(throttle.WaitingTimeAvailable(1), 1);
}

TEST(SpeedThrottle, SpeedWriteRestartsOnlyWhenTheValueChanges) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);

    throttle.Advance(250);
    throttle.SetSpeed(60);
    EXPECT_DOUBLE_EQ(throttle.Quantity(), 30);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 45); // time kept running

    throttle.Advance(250);
    throttle.SetSpeed(120);
    EXPECT_EQ(throttle.Quantity(), 0);
    EXPECT_EQ(throttle.QuantityAvailable(), 0); // the 250 ticks are dropped
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 60);
}

TEST(SpeedThrottle, MaximumExtractionQuantityWriteEmptiesAndSetsTheCap) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetQuantity(10);
    throttle.SetMaximumExtractionQuantity(80000);
    EXPECT_EQ(throttle.Quantity(), 0);

    // The cap is the greater of the speed and the maximum.
    throttle.SetMaximumExtractionQuantity(10);
    throttle.Advance(10000);
    EXPECT_EQ(throttle.QuantityAvailable(), 60);
    throttle.SetMaximumExtractionQuantity(100);
    throttle.Advance(10000);
    EXPECT_EQ(throttle.QuantityAvailable(), 100);
}

TEST(SpeedThrottle, EnablingRecalculatesOnlyOnTheRisingEdge) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetQuantity(10);
    throttle.SetEnabled(true);
    EXPECT_EQ(throttle.Quantity(), 10);

    // While disabled, settings are stored but the fill rate lags behind.
    throttle.SetEnabled(false);
    throttle.SetSpeed(120);
    throttle.SetMaximumExtractionQuantity(80000);
    EXPECT_EQ(throttle.Quantity(), 10);
    EXPECT_EQ(throttle.Speed(), 120);

    throttle.Advance(1000);
    throttle.SetEnabled(true);
    EXPECT_EQ(throttle.Quantity(), 0);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 60);
}

TEST(SpeedThrottle, PauseEmptiesAndResumeDoesNotCreditThePause) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);

    throttle.SetPaused(true);
    EXPECT_TRUE(throttle.Paused());
    EXPECT_EQ(throttle.Quantity(), 0);
    throttle.Advance(10000);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    // Any request waits the maximum, also one above the maximum quantity.
    EXPECT_EQ(throttle.WaitingTimeAvailable(1), 1);
    EXPECT_EQ(throttle.WaitingTimeAvailable(1e9), 1);
    // The set-up left a signal pending, so this returns at once.
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 1000);
    throttle.SetQuantity(5);
    EXPECT_EQ(throttle.Quantity(), 0);
    throttle.SetPaused(true);
    EXPECT_TRUE(throttle.Paused());

    throttle.SetPaused(false);
    EXPECT_FALSE(throttle.Paused());
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);

    // Resuming a running throttle does not restart its time reference.
    throttle.Advance(250);
    throttle.SetPaused(false);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 45);
}

TEST(SpeedThrottle, ResetEmptiesAndRestartsButKeepsTheFlags) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);
    throttle.Advance(500);
    throttle.Reset();
    EXPECT_EQ(throttle.Quantity(), 0);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    EXPECT_TRUE(throttle.Enabled());
    EXPECT_EQ(throttle.Speed(), 60);
    throttle.Advance(500);
    EXPECT_DOUBLE_EQ(throttle.QuantityAvailable(), 30);
}

TEST(SpeedThrottle, SimulatedCounterWithoutFrequencyCreditsNothing) {
    TSimulatedThrottle throttle(0);
    SetUpAsUniverse(throttle);
    throttle.Advance(1000);
    EXPECT_EQ(throttle.QuantityAvailable(), 0);
    EXPECT_EQ(throttle.QuantityAvailable(), 0); // same tick twice
    EXPECT_DOUBLE_EQ(throttle.WaitingTimeAvailable(1), 1.0 / 60);
}

TEST(SpeedThrottle, SwitchingToTheTickCountEmptiesAndKeepsCounting) {
    TSpeedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetQuantity(50);
    throttle.SetTimeCounterMode(tcm_low_cpu_usage);
    EXPECT_EQ(throttle.TimeCounterMode(), tcm_low_cpu_usage);
    EXPECT_EQ(throttle.Quantity(), 0);
    // 200 ms at 60 per second is 12; a stale frequency would give almost 0.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_GT(throttle.QuantityAvailable(), 6);
}

TEST(SpeedThrottle, RequestAboveTheMaximumIsAnAssertionFailure) {
#ifndef _WIN32
    TLocaleEnvironment environment;
    environment.Use("C", nullptr, nullptr);
#else
    if (UserDecimalSeparator() != ".")
        GTEST_SKIP() << "the user's settings give the separator " << UserDecimalSeparator();
#endif
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    try {
        throttle.WaitingTimeAvailable(80001);
        FAIL() << "no assertion failure";
    } catch (const EAssertionFailed& failure) {
        EXPECT_STREQ(failure.what(), "ParaQuantity(80001) <= mMaximumExtractionQuantity(80000)");
        EXPECT_STREQ(failure.UnitName(), "unit_TSpeedThrottle_version_021");
        EXPECT_GT(failure.Line(), 0);
    }

    throttle.SetMaximumExtractionQuantity(2.5);
    const auto messageFor = [&](double ParaQuantity) {
        return AssertionMessage(throttle, ParaQuantity);
    };
    EXPECT_EQ(messageFor(2.75), "ParaQuantity(2.75) <= mMaximumExtractionQuantity(2.5)");
    EXPECT_EQ(messageFor(10.0 / 3),
              "ParaQuantity(3.33333333333333) <= mMaximumExtractionQuantity(2.5)");
    EXPECT_EQ(messageFor(std::nan("")).rfind("ParaQuantity(", 0), 0u);
    EXPECT_DOUBLE_EQ(throttle.WaitingTimeAvailable(2.5), 2.5 / 60); // the maximum is served
}

#ifndef _WIN32
TEST(SpeedThrottleMessage, NumbersTakeTheSeparatorOfTheLocaleEnvironment) {
    if (DecimalSeparatorOfLocale(kCommaLocale) != ",")
        GTEST_SKIP() << kCommaLocale << " is not installed (scripts/setup generates it)";
    TLocaleEnvironment environment;
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetMaximumExtractionQuantity(0.5);
    const std::string comma = "ParaQuantity(0,75) <= mMaximumExtractionQuantity(0,5)";
    const std::string point = "ParaQuantity(0.75) <= mMaximumExtractionQuantity(0.5)";

    environment.Use(kCommaLocale, nullptr, nullptr);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), comma);
    environment.Use("C", nullptr, nullptr);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);

    // LC_ALL before LC_NUMERIC before LANG; an empty variable counts as unset.
    environment.Use(nullptr, kCommaLocale, "C");
    EXPECT_EQ(AssertionMessage(throttle, 0.75), comma);
    environment.Use("C", kCommaLocale, kCommaLocale);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);
    environment.Use("", "", kCommaLocale);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), comma);
    environment.Use(nullptr, "C", kCommaLocale);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);

    // Whole numbers have no separator to show.
    environment.Use(kCommaLocale, nullptr, nullptr);
    throttle.SetMaximumExtractionQuantity(80000);
    EXPECT_EQ(AssertionMessage(throttle, 80001),
              "ParaQuantity(80001) <= mMaximumExtractionQuantity(80000)");
}

TEST(SpeedThrottleMessage, UnknownOrMissingLocaleFallsBackToAPoint) {
    TLocaleEnvironment environment;
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetMaximumExtractionQuantity(0.5);
    const std::string point = "ParaQuantity(0.75) <= mMaximumExtractionQuantity(0.5)";

    environment.Use("xx_NOWHERE.UTF-8", kCommaLocale, kCommaLocale);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);
    environment.Use(nullptr, nullptr, nullptr);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);
    environment.Use("POSIX", nullptr, nullptr);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), point);
}

TEST(SpeedThrottleMessage, CLibraryLocaleOfTheProcessDoesNotDecide) {
    if (DecimalSeparatorOfLocale(kCommaLocale) != ",")
        GTEST_SKIP() << kCommaLocale << " is not installed (scripts/setup generates it)";
    TLocaleEnvironment environment;
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetMaximumExtractionQuantity(0.5);

    // A library that switched the process to a comma must not change what the
    // user's settings say, and the other way round.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, kCommaLocale), nullptr);
    environment.Use("C", nullptr, nullptr);
    const std::string underComma = AssertionMessage(throttle, 0.75);
    std::setlocale(LC_NUMERIC, "C");
    environment.Use(kCommaLocale, nullptr, nullptr);
    const std::string underPoint = AssertionMessage(throttle, 0.75);
    std::setlocale(LC_NUMERIC, previous.c_str());

    EXPECT_EQ(underComma, "ParaQuantity(0.75) <= mMaximumExtractionQuantity(0.5)");
    EXPECT_EQ(underPoint, "ParaQuantity(0,75) <= mMaximumExtractionQuantity(0,5)");
}
#else
TEST(SpeedThrottleMessage, NumbersTakeTheSeparatorOfTheRegionalSettings) {
    char separator[8] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator), 1);
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetMaximumExtractionQuantity(0.5);
    EXPECT_EQ(AssertionMessage(throttle, 0.75), std::string("ParaQuantity(0") + separator +
                                                    "75) <= mMaximumExtractionQuantity(0" +
                                                    separator + "5)");
    // Wine takes the regional settings from the locale environment it starts in.
    if (const char* expected = std::getenv("VELTRANE_EXPECT_DECIMAL_SEPARATOR")) {
        EXPECT_STREQ(separator, expected);
    }
}
#endif

TEST(SpeedThrottle, PlannedWaitSaturatesInsteadOfOverflowing) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    throttle.SetPaused(true);
    // Each waiting-time write leaves a signal pending, so no wait lasts.
    throttle.SetMaximumWaitingTime(1e12);
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), INT32_MAX);
    throttle.SetMaximumWaitingTime(-1e12);
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), INT32_MIN);
    throttle.SetMaximumWaitingTime(std::nan(""));
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 0);
}

TEST(SpeedThrottleSignalling, SignalPendingFromTheSetUpEndsTheFirstWait) {
    TSimulatedThrottle throttle;
    SetUpForLongWaits(throttle);
    Clock::duration elapsed{};
    EXPECT_EQ(TimedSleep(throttle, 1, elapsed), 30000);
    EXPECT_LT(elapsed, std::chrono::seconds(15));
}

TEST(SpeedThrottleSignalling, ChangesThatSignalEndTheNextWait) {
    const std::vector<std::pair<const char*, std::function<void(TSimulatedThrottle&)>>> writes = {
        {"Speed changed", [](TSimulatedThrottle& t) { t.SetSpeed(1.0 / 90); }},
        {"MaximumWaitingTime rewritten",
         [](TSimulatedThrottle& t) { t.SetMaximumWaitingTime(30); }},
        {"Quantity accepted", [](TSimulatedThrottle& t) { t.SetQuantity(0); }},
        {"resumed",
         [](TSimulatedThrottle& t) {
             t.SetPaused(true);
             t.SetPaused(false);
         }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        TSimulatedThrottle throttle;
        SetUpForLongWaits(throttle);
        Clock::duration elapsed{};
        TimedSleep(throttle, 1, elapsed); // consumes the set-up's signal
        write(throttle);
        EXPECT_EQ(TimedSleep(throttle, 1, elapsed), 30000);
        EXPECT_LT(elapsed, std::chrono::seconds(15));
    }
}

TEST(SpeedThrottleSignalling, ChangesThatDoNotSignalLeaveTheWaitToItsTimeOut) {
    const std::vector<std::pair<const char*, std::function<void(TSimulatedThrottle&)>>> writes = {
        {"Speed unchanged", [](TSimulatedThrottle& t) { t.SetSpeed(5); }},
        {"MaximumExtractionQuantity",
         [](TSimulatedThrottle& t) { t.SetMaximumExtractionQuantity(80000); }},
        {"disabled and enabled",
         [](TSimulatedThrottle& t) {
             t.SetEnabled(false);
             t.SetEnabled(true);
         }},
        {"TimeCounterMode", [](TSimulatedThrottle& t) { t.SetTimeCounterMode(tcm_simulation); }},
        {"paused, Quantity ignored",
         [](TSimulatedThrottle& t) {
             t.SetPaused(true);
             t.SetQuantity(3);
         }},
        {"Reset", [](TSimulatedThrottle& t) { t.Reset(); }},
        {"QuantityUsed", [](TSimulatedThrottle& t) { t.QuantityUsed(1); }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        // A request of 1 plans 200 ms, as does a paused wait.
        TSimulatedThrottle throttle;
        throttle.SetSpeed(5);
        throttle.SetMaximumExtractionQuantity(80000);
        throttle.SetMaximumWaitingTime(0.2);
        throttle.SetEnabled(true);
        Clock::duration elapsed{};
        TimedSleep(throttle, 1, elapsed); // consumes the set-up's signal
        write(throttle);
        EXPECT_EQ(TimedSleep(throttle, 1, elapsed), 200);
        // Well short of 200 ms would mean a signal cut it; timers may be coarse.
        EXPECT_GE(elapsed, std::chrono::milliseconds(150));
    }
}

TEST(SpeedThrottleThreads, AFailedRequestLetsGoOfTheLock) {
    TSimulatedThrottle throttle;
    SetUpAsUniverse(throttle);
    EXPECT_THROW(throttle.WaitingTimeAvailable(80001), EAssertionFailed);
    // Another thread gets through.
    auto other = std::async(std::launch::async, [&] {
        throttle.SetSpeed(30);
        return throttle.QuantityAvailable();
    });
    ASSERT_EQ(other.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(other.get(), 0);
}

TEST(SpeedThrottleThreads, PausedSleeperIsWokenByAResumeOnAnotherThread) {
    TSimulatedThrottle throttle;
    SetUpForLongWaits(throttle); // running or paused, a request of 1 plans 30 s
    throttle.SetPaused(true);
    EXPECT_EQ(throttle.SleepIfWaitingTimeAvailable(1), 30000); // consumes the set-up's signal

    Clock::duration elapsed{};
    std::int32_t planned = 0;
    std::thread sleeper([&] { planned = TimedSleep(throttle, 1, elapsed); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    throttle.SetPaused(false);
    sleeper.join();

    EXPECT_EQ(planned, 30000);
    EXPECT_LT(elapsed, std::chrono::seconds(15));
}

TEST(SpeedThrottleThreads, SharedThrottleKeepsItsBucketWithinBounds) {
    TSpeedThrottle throttle;
    throttle.SetSpeed(2000);
    throttle.SetMaximumExtractionQuantity(50);
    throttle.SetMaximumWaitingTime(0.002);
    throttle.SetEnabled(true);

    std::thread consumer([&] {
        for (int i = 0; i < 300; ++i) {
            if (throttle.QuantityAvailable() < 1)
                throttle.SleepIfWaitingTimeAvailable(1);
            else
                throttle.QuantityUsed(1);
        }
    });
    std::thread changer([&] {
        for (int i = 0; i < 300; ++i) {
            throttle.SetPaused(i % 3 == 0);
            throttle.SetSpeed(i % 2 == 0 ? 2000 : 1000);
            throttle.SetQuantity(i % 60);
            throttle.SetMaximumWaitingTime(0.002);
            throttle.WaitingTimeAvailable(50);
        }
        throttle.SetPaused(false);
    });
    consumer.join();
    changer.join();

    const double available = throttle.QuantityAvailable();
    EXPECT_GE(available, 0);
    EXPECT_LE(available, 2000); // the cap: the greater of speed and maximum
}
