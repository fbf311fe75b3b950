// The supervisor's decisions, driven by a clock the test holds: no process,
// no sleeping.
#include "core/supervise/restart_policy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t kSecond = 1000;

// Starts, runs for `runMs` and ends the server on the test's clock; a
// restart's wait passes on the clock too.
struct Clock {
    RestartPolicy policy;
    std::int64_t now = 5 * kSecond;  // any origin

    explicit Clock(const RestartRules& rules) : policy(rules) { policy.Started(now); }

    RestartDecision Run(std::int64_t runMs, bool failed) {
        now += runMs;
        const RestartDecision decision = policy.Ended(now, failed);
        if (decision.step == NextStep::Restart) {
            now += decision.waitMs;
            policy.Started(now);
        }
        return decision;
    }
};

RestartRules Rules(RestartMode mode, int maxRestarts = 5, std::int64_t windowMs = 300 * kSecond) {
    RestartRules rules;
    rules.mode = mode;
    rules.maxRestarts = maxRestarts;
    rules.windowMs = windowMs;
    return rules;
}

TEST(RestartPolicy, RestartsByModeAndHowTheServerEnded) {
    const struct {
        RestartMode mode;
        bool failed;
        NextStep step;
    } cases[] = {
        {RestartMode::OnFailure, true, NextStep::Restart},  {RestartMode::OnFailure, false, NextStep::Finish},
        {RestartMode::Always, true, NextStep::Restart},     {RestartMode::Always, false, NextStep::Restart},
        {RestartMode::Never, true, NextStep::Finish},       {RestartMode::Never, false, NextStep::Finish},
    };
    for (const auto& c : cases) {
        Clock clock(Rules(c.mode));
        const RestartDecision decision = clock.Run(3 * kSecond, c.failed);
        EXPECT_EQ(decision.step, c.step) << static_cast<int>(c.mode) << " failed " << c.failed;
        EXPECT_EQ(decision.runMs, 3 * kSecond);
    }
}

TEST(RestartPolicy, WaitsDoubleUpToAMinute) {
    Clock clock(Rules(RestartMode::OnFailure, 1000, 3600 * 1000 * kSecond));
    std::vector<std::int64_t> waits;
    for (int i = 0; i < 10; ++i) waits.push_back(clock.Run(2 * kSecond, true).waitMs / kSecond);
    EXPECT_EQ(waits, (std::vector<std::int64_t>{1, 2, 4, 8, 16, 32, 60, 60, 60, 60}));
}

TEST(RestartPolicy, TenMinutesUpStartsTheWaitsAgain) {
    Clock clock(Rules(RestartMode::Always, 1000, 3600 * kSecond));
    for (int i = 0; i < 4; ++i) clock.Run(kSecond, true);      // waited 1, 2, 4, 8
    EXPECT_EQ(clock.Run(600 * kSecond - 1, true).waitMs, 16 * kSecond);  // a moment short
    EXPECT_EQ(clock.Run(600 * kSecond, false).waitMs, 1 * kSecond);      // clean or not
    EXPECT_EQ(clock.Run(kSecond, true).waitMs, 2 * kSecond);
}

TEST(RestartPolicy, MoreThanMaxRestartsWithinTheWindowIsACrashLoop) {
    Clock clock(Rules(RestartMode::OnFailure));
    for (int k = 1; k <= 5; ++k) {
        const RestartDecision decision = clock.Run(0, true);
        ASSERT_EQ(decision.step, NextStep::Restart);
        EXPECT_EQ(decision.restartsInWindow, k);
    }
    const RestartDecision decision = clock.Run(0, true);
    EXPECT_EQ(decision.step, NextStep::CrashLoop);
    EXPECT_EQ(decision.restartsInWindow, 6);

    // No restarts allowed: the first failure is a loop, a clean end is not.
    Clock none(Rules(RestartMode::OnFailure, 0));
    EXPECT_EQ(none.Run(kSecond, false).step, NextStep::Finish);
    Clock noneFailing(Rules(RestartMode::OnFailure, 0));
    EXPECT_EQ(noneFailing.Run(kSecond, true).step, NextStep::CrashLoop);
}

TEST(RestartPolicy, ARestartLeavesTheWindowAfterExactlyItsLength) {
    // Two restarts allowed per 100 s. The first is granted at 0 s, the
    // second at 10 s; a third is refused until the first has left the window.
    for (const std::int64_t third : {99 * kSecond + 999, 100 * kSecond}) {
        RestartRules rules = Rules(RestartMode::OnFailure, 2, 100 * kSecond);
        rules.firstWaitMs = 0;  // the clock moves only by the runs
        Clock clock(rules);
        const std::int64_t origin = clock.now;
        EXPECT_EQ(clock.Run(0, true).restartsInWindow, 1);
        EXPECT_EQ(clock.Run(10 * kSecond, true).restartsInWindow, 2);
        const RestartDecision decision = clock.Run(origin + third - clock.now, true);
        if (third < 100 * kSecond) {
            EXPECT_EQ(decision.step, NextStep::CrashLoop);
        } else {
            EXPECT_EQ(decision.step, NextStep::Restart);
            EXPECT_EQ(decision.restartsInWindow, 2);
        }
    }
}

TEST(RestartPolicy, CleanEndsDoNotCountAsRestarts) {
    // on-failure: a clean end finishes; always: it restarts and counts.
    Clock onFailure(Rules(RestartMode::OnFailure, 1));
    EXPECT_EQ(onFailure.Run(0, false).step, NextStep::Finish);
    EXPECT_EQ(onFailure.Run(0, true).step, NextStep::Restart);
    Clock always(Rules(RestartMode::Always, 1));
    EXPECT_EQ(always.Run(0, false).step, NextStep::Restart);
    EXPECT_EQ(always.Run(0, false).step, NextStep::CrashLoop);
}

TEST(RestartPolicy, ALoopOfCleanEndsOnlyIsARestartLoop) {
    // The ends that led to the restarts in the window and the last one:
    // any failure among them makes it a crash loop.
    const struct {
        std::vector<bool> failed;
        bool clean;
    } cases[] = {{{false, false, false}, true}, {{true, false, false}, false}, {{false, false, true}, false}};
    for (const auto& c : cases) {
        Clock clock(Rules(RestartMode::Always, 2));
        RestartDecision decision;
        for (const bool failed : c.failed) decision = clock.Run(0, failed);
        EXPECT_EQ(decision.step, NextStep::CrashLoop);
        EXPECT_EQ(decision.cleanEndsOnly, c.clean) << c.failed[0] << c.failed[2];
    }
}

TEST(RestartPolicy, ModeNames) {
    RestartMode mode = RestartMode::Never;
    EXPECT_TRUE(ParseRestartMode("on-failure", mode));
    EXPECT_EQ(mode, RestartMode::OnFailure);
    EXPECT_TRUE(ParseRestartMode("always", mode));
    EXPECT_EQ(mode, RestartMode::Always);
    EXPECT_TRUE(ParseRestartMode("never", mode));
    EXPECT_EQ(mode, RestartMode::Never);
    for (const char* bad : {"On-Failure", "", "onfailure", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(ParseRestartMode(bad, mode));
        EXPECT_EQ(mode, RestartMode::Never);  // untouched
    }
}

}  // namespace
