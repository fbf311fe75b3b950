// The status file a supervisor keeps for its instance: what it is doing,
// the pids, when the server started, how often it restarted, how it last
// ended and when the next scheduled restart is. It is replaced whole at
// every event, so a reader sees one state or the next, never a mix.
//
// The file alone cannot tell that its supervisor still runs: one that was
// killed leaves its last state behind. Whoever reads it asks the instance's
// lock as well, which the system frees the moment the supervisor is gone.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// What the supervisor is doing; the words written to the file.
enum class RunState { Starting, Running, Restarting, Stopping, Stopped, Ended, CrashLoop, RestartLoop, Failed };
const char* RunStateName(RunState state);

struct RunStatus {
    RunState state = RunState::Starting;
    unsigned long supervisorPid = 0;
    unsigned long serverPid = 0;        // 0 while no server runs
    std::int64_t supervisorStarted = 0; // seconds since 1970 (UTC), 0: not known
    std::int64_t serverStarted = 0;     // the last start of the server
    int restarts = 0;                   // starts after the first, scheduled ones included
    int scheduledRestarts = 0;
    std::string lastExit;               // "with code 4", "by signal 9"; empty: none yet
    std::int64_t lastExitAt = 0;
    std::int64_t nextRestart = 0;       // the next scheduled restart; 0: none
    std::string log;                    // the run log's path; empty: none
    std::int64_t updated = 0;           // when the file was written
};

// Whether the supervisor's state is one of a supervisor at work; the others
// are written as it ends.
bool IsActiveState(RunState state);

// The file's bytes: "key=value" lines ending in CR LF under a [Status]
// section, the times both as seconds and as the local time they read.
std::string FormatRunStatus(const RunStatus& status);
// False when `bytes` is not such a file (a state it does not know, a pid or
// a number that is not one).
bool ParseRunStatus(const std::string& bytes, RunStatus& status);

// Writes the file through a temporary that replaces it when complete.
bool WriteRunStatus(const std::string& path, const RunStatus& status);

// What a reader makes of an instance: the file (if any) and whether a
// supervisor holds the instance's lock.
struct InstanceReport {
    bool running = false;  // a supervisor holds the lock
    bool hasStatus = false;
    RunStatus status;
    std::string summary;  // "running (...)", "not running (...)"
};
InstanceReport DescribeInstance(const std::string* statusBytes, bool lockHeld, unsigned long lockHolder);

// "2026-12-01 10:55:36" in local time.
std::string FormatLocalTime(std::int64_t when);
