#include "core/supervise/restart_policy.h"

#include <algorithm>
#include <cstring>

RestartPolicy::RestartPolicy(const RestartRules& rules) : rules_(rules), nextWaitMs_(rules.firstWaitMs) {}

void RestartPolicy::Started(std::int64_t now) { startedAt_ = now; }

RestartDecision RestartPolicy::Ended(std::int64_t now, bool failed) {
    RestartDecision decision;
    decision.runMs = now - startedAt_;
    // A server that stayed up this long was healthy: whatever ended it is a
    // new trouble, not the last one continued.
    if (decision.runMs >= rules_.steadyRunMs) nextWaitMs_ = rules_.firstWaitMs;

    const bool wanted = rules_.mode == RestartMode::Always || (rules_.mode == RestartMode::OnFailure && failed);
    if (!wanted) return decision;

    while (!restarts_.empty() && now - restarts_.front().at >= rules_.windowMs) restarts_.pop_front();
    const int number = static_cast<int>(restarts_.size()) + 1;
    if (number > rules_.maxRestarts) {
        decision.step = NextStep::CrashLoop;
        decision.restartsInWindow = number;
        decision.cleanEndsOnly = !failed;
        for (const Restart& restart : restarts_) decision.cleanEndsOnly = decision.cleanEndsOnly && !restart.afterFailure;
        return decision;
    }
    restarts_.push_back({now, failed});
    decision.step = NextStep::Restart;
    decision.restartsInWindow = number;
    decision.waitMs = nextWaitMs_;
    nextWaitMs_ = std::min(nextWaitMs_ * 2, std::max(rules_.longestWaitMs, rules_.firstWaitMs));
    return decision;
}

bool ParseRestartMode(const char* name, RestartMode& mode) {
    static const struct {
        const char* name;
        RestartMode mode;
    } kModes[] = {
        {"on-failure", RestartMode::OnFailure}, {"always", RestartMode::Always}, {"never", RestartMode::Never}};
    for (const auto& entry : kModes) {
        if (name != nullptr && std::strcmp(name, entry.name) == 0) {
            mode = entry.mode;
            return true;
        }
    }
    return false;
}
