// When a supervised server is started again, and after how long. The policy
// only decides: the caller tells it when the server started and ended, on a
// steady clock of its choosing (milliseconds), and does the waiting itself,
// so the rules can be checked without a process or a real clock.
#pragma once

#include <cstdint>
#include <deque>

enum class RestartMode {
    OnFailure,  // after a non-zero exit code or a kill
    Always,     // after any end
    Never,      // run once
};

struct RestartRules {
    RestartMode mode = RestartMode::OnFailure;
    // More restarts than this within `windowMs` is a crash loop.
    int maxRestarts = 5;
    std::int64_t windowMs = 300 * 1000;
    // The waits double from the first to the longest.
    std::int64_t firstWaitMs = 1000;
    std::int64_t longestWaitMs = 60 * 1000;
    // A run at least this long starts the waits again at the first.
    std::int64_t steadyRunMs = 10 * 60 * 1000;
};

enum class NextStep {
    Restart,    // after `waitMs`
    Finish,     // the policy wants no restart: the supervisor ends with the server's code
    CrashLoop,  // a restart is due but there have been too many: give up
};

struct RestartDecision {
    NextStep step = NextStep::Finish;
    std::int64_t waitMs = 0;   // Restart: how long to wait first
    int restartsInWindow = 0;  // Restart: this restart's number in the window (1-based);
                               // CrashLoop: the restart refused, maxRestarts + 1
    std::int64_t runMs = 0;    // how long the run that just ended lasted
    // CrashLoop: every end that led to the restarts in the window, and this
    // one, was clean (code 0): a server that keeps ending by itself under
    // `always` is in a restart loop, not crashing.
    bool cleanEndsOnly = false;
};

class RestartPolicy {
public:
    explicit RestartPolicy(const RestartRules& rules);

    // The server has started (first start or restart) at `now`.
    void Started(std::int64_t now);
    // The server ended at `now`; `failed`: a non-zero exit code, a crash or
    // a kill. A restart it allows counts in the window from `now`.
    RestartDecision Ended(std::int64_t now, bool failed);

private:
    RestartRules rules_;
    std::int64_t startedAt_ = 0;
    std::int64_t nextWaitMs_;
    struct Restart {
        std::int64_t at;
        bool afterFailure;
    };
    std::deque<Restart> restarts_;  // the restarts still in the window, oldest first
};

// "Restart" rules as the command line names them: "on-failure", "always",
// "never". False for any other name.
bool ParseRestartMode(const char* name, RestartMode& mode);
