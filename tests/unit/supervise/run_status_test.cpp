// The status file: written and read back field for field, and what a reader
// makes of it with the instance's lock held or free (a killed supervisor's
// file must never read as running).
#include "core/supervise/run_status.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/instance_lock.h"
#include "test_support.h"

namespace {

// Local times read as UTC, the zone put back after each test.
class RunStatusFile : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        Set(
#if defined(_WIN32)
            "UTC0"
#else
            "UTC"
#endif
        );
    }
    void TearDown() override { Set(had_ ? old_.c_str() : nullptr); }

private:
    static void Set(const char* zone) {
#if defined(_WIN32)
        _putenv_s("TZ", zone != nullptr ? zone : "");
        _tzset();
#else
        if (zone != nullptr) setenv("TZ", zone, 1);
        else unsetenv("TZ");
        tzset();
#endif
    }
    bool had_ = false;
    std::string old_;
};

constexpr std::int64_t kNoon = 1796644800;  // 2026-12-07 12:00:00 UTC

RunStatus Sample(RunState state) {
    RunStatus s;
    s.state = state;
    s.supervisorPid = 4242;
    s.serverPid = IsActiveState(state) ? 4250 : 0;
    s.supervisorStarted = kNoon - 3600;
    s.serverStarted = kNoon - 600;
    s.restarts = 2;
    s.scheduledRestarts = 1;
    s.lastExit = "with code 4";
    s.lastExitAt = kNoon - 601;
    s.nextRestart = state == RunState::Running ? kNoon + 3600 : 0;
    s.log = "/var/log/servolt/default.log";
    s.updated = kNoon;
    return s;
}

TEST_F(RunStatusFile, TheFileIsCrLfTextThatReadsBackWhole) {
    const RunStatus s = Sample(RunState::Running);
    const std::string bytes = FormatRunStatus(s);
    EXPECT_EQ(bytes.substr(0, 25), "[Status]\r\nstate=running\r\n");
    EXPECT_NE(bytes.find("\r\nnextRestartLocal=2026-12-07 13:00:00\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    RunStatus back;
    ASSERT_TRUE(ParseRunStatus(bytes, back));
    EXPECT_EQ(FormatRunStatus(back), bytes);
    // What is not such a file is refused, not half read.
    for (const char* bad : {"", "state=running\r\n", "[Status]\r\nstate=flying\r\n",
                            "[Status]\r\nstate=running\r\nserverPid=-3\r\n", "[Status]\r\nstate=running\r\nrestarts=x\r\n",
                            "[Status]\r\nrestarts=1\r\n", "[Status]\r\nstate=running\r\ngarbage\r\n"}) {
        EXPECT_FALSE(ParseRunStatus(bad, back)) << bad;
    }
    // A reason with a line break stays on its line.
    RunStatus broken = s;
    broken.lastExit = "with\r\ncode 4";
    ASSERT_TRUE(ParseRunStatus(FormatRunStatus(broken), back));
    EXPECT_EQ(back.lastExit, "with  code 4");
}

TEST_F(RunStatusFile, TheLockDecidesWhetherTheFileReadsAsRunning) {
    const struct {
        const char* what;
        bool hasFile;
        RunState state;
        bool held;
        unsigned long holder;
        bool running;
        std::string summary;
    } cases[] = {
        {"at work", true, RunState::Running, true, 4242, true,
         "running (server pid 4250 up since 2026-12-07 11:50:00, 2 restarts (1 scheduled), last exit with code 4 at "
         "2026-12-07 11:49:59, next restart at 2026-12-07 13:00:00; supervisor pid 4242)"},
        {"waiting to restart", true, RunState::Restarting, true, 0, true,
         "running (restarting, 2 restarts (1 scheduled), last exit with code 4 at 2026-12-07 11:49:59; supervisor "
         "pid 4242)"},
        {"killed: the file says running, nobody holds the lock", true, RunState::Running, false, 0, false,
         "not running (supervisor ended at 2026-12-07 12:00:00, last exit with code 4 at 2026-12-07 11:49:59, after "
         "2 restarts)"},
        {"killed while stopping", true, RunState::Stopping, false, 0, false,
         "not running (supervisor ended at 2026-12-07 12:00:00, last exit with code 4 at 2026-12-07 11:49:59, after "
         "2 restarts)"},
        {"a new supervisor, the old one's file", true, RunState::Running, true, 777, true,
         "running (supervisor pid 777)"},
        {"stopped by the operator", true, RunState::Stopped, false, 0, false,
         "not running (stopped at 2026-12-07 12:00:00, last exit with code 4 at 2026-12-07 11:49:59, after 2 "
         "restarts)"},
        {"crash loop", true, RunState::CrashLoop, false, 0, false,
         "not running (crash loop at 2026-12-07 12:00:00, last exit with code 4 at 2026-12-07 11:49:59, after 2 "
         "restarts)"},
        {"ended by itself", true, RunState::Ended, false, 0, false,
         "not running (the server ended with code 4 at 2026-12-07 11:49:59, after 2 restarts)"},
        {"never run", false, RunState::Running, false, 0, false, "not running (never run)"},
        {"lock without a file yet", false, RunState::Running, true, 99, true, "running (supervisor pid 99)"},
    };
    for (const auto& c : cases) {
        const std::string bytes = FormatRunStatus(Sample(c.state));
        const InstanceReport report = DescribeInstance(c.hasFile ? &bytes : nullptr, c.held, c.holder);
        EXPECT_EQ(report.running, c.running) << c.what;
        EXPECT_EQ(report.summary, c.summary) << c.what;
    }
    const std::string junk = "not a status file";
    EXPECT_EQ(DescribeInstance(&junk, false, 0).summary, "not running (the status file is unreadable)");
}

TEST(InstanceLock, OneHolderAtATimeNamedByPidAndFreedOnRelease) {
    const std::string folder = MakeTempFolder();
    const std::string path = folder + "\\default.lock";
    unsigned long holder = 1;
    EXPECT_FALSE(platform::IsLockHeld(path, holder));  // no file: free
    platform::InstanceLock first, second;
    platform::Error error;
    ASSERT_EQ(first.Take(path, holder, error), platform::LockOutcome::Taken) << error.Describe();
    EXPECT_TRUE(platform::IsLockHeld(path, holder));
    EXPECT_EQ(holder, platform::CurrentProcessId());
    EXPECT_EQ(second.Take(path, holder, error), platform::LockOutcome::HeldElsewhere);
    EXPECT_EQ(holder, platform::CurrentProcessId());
    EXPECT_EQ(ReadBytes(path), std::to_string(platform::CurrentProcessId()) + "\r\n");
    first.Release();
    EXPECT_FALSE(platform::IsLockHeld(path, holder));
    EXPECT_EQ(second.Take(path, holder, error), platform::LockOutcome::Taken);
    second.Release();
    EXPECT_EQ(first.Take(folder + "\\missing\\x.lock", holder, error), platform::LockOutcome::Failed);
    EXPECT_TRUE(error.Failed());
    RemoveTree(folder);
}

}  // namespace
