#include "core/supervise/run_status.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

const struct {
    RunState state;
    const char* name;
} kStates[] = {
    {RunState::Starting, "starting"},   {RunState::Running, "running"},
    {RunState::Restarting, "restarting"}, {RunState::Stopping, "stopping"},
    {RunState::Stopped, "stopped"},     {RunState::Ended, "ended"},
    {RunState::CrashLoop, "crash-loop"}, {RunState::RestartLoop, "restart-loop"},
    {RunState::Failed, "failed"},
};

bool ParseNumber(const std::string& text, std::int64_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < 0) return false;
    value = parsed;
    return true;
}

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

const char* RunStateName(RunState state) {
    for (const auto& entry : kStates) {
        if (entry.state == state) return entry.name;
    }
    return "unknown";
}

bool IsActiveState(RunState state) {
    return state == RunState::Starting || state == RunState::Running || state == RunState::Restarting ||
           state == RunState::Stopping;
}

std::string FormatLocalTime(std::int64_t when) {
    const std::time_t moment = static_cast<std::time_t>(when);
    char text[32] = "";
    const std::tm* local = std::localtime(&moment);
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0)
        return "0000-00-00 00:00:00";
    return text;
}

std::string FormatRunStatus(const RunStatus& s) {
    std::string text = "[Status]\r\n";
    const auto line = [&text](const char* key, const std::string& value) {
        text += key;
        text += "=";
        text += value;
        text += "\r\n";
    };
    const auto moment = [&line](const char* key, std::int64_t when) {
        line(key, std::to_string(when));
        // For the operator who reads the file itself.
        if (when != 0) line((std::string(key) + "Local").c_str(), FormatLocalTime(when));
    };
    line("state", RunStateName(s.state));
    line("supervisorPid", std::to_string(s.supervisorPid));
    line("serverPid", std::to_string(s.serverPid));
    moment("supervisorStarted", s.supervisorStarted);
    moment("serverStarted", s.serverStarted);
    line("restarts", std::to_string(s.restarts));
    line("scheduledRestarts", std::to_string(s.scheduledRestarts));
    // A reason never holds a line break; one that did would end the line.
    std::string exit = s.lastExit;
    for (char& c : exit) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    line("lastExit", exit);
    moment("lastExitAt", s.lastExitAt);
    moment("nextRestart", s.nextRestart);
    line("log", s.log);
    moment("updated", s.updated);
    return text;
}

bool ParseRunStatus(const std::string& bytes, RunStatus& status) {
    RunStatus s;
    bool sawState = false, sawSection = false;
    std::string::size_type from = 0;
    while (from < bytes.size()) {
        std::string::size_type end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line == "[Status]") {
            sawSection = true;
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) return false;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        std::int64_t number = 0;
        const auto numeric = [&](std::int64_t& into) {
            if (!ParseNumber(value, number)) return false;
            into = number;
            return true;
        };
        std::int64_t pid = 0, count = 0;
        if (key == "state") {
            bool known = false;
            for (const auto& entry : kStates) {
                if (value == entry.name) {
                    s.state = entry.state;
                    known = true;
                }
            }
            if (!known) return false;
            sawState = true;
        } else if (key == "supervisorPid" || key == "serverPid") {
            if (!numeric(pid) || pid > 0xFFFFFFFFll) return false;
            (key == "supervisorPid" ? s.supervisorPid : s.serverPid) = static_cast<unsigned long>(pid);
        } else if (key == "restarts" || key == "scheduledRestarts") {
            if (!numeric(count) || count > 0x7FFFFFFF) return false;
            (key == "restarts" ? s.restarts : s.scheduledRestarts) = static_cast<int>(count);
        } else if (key == "supervisorStarted") {
            if (!numeric(s.supervisorStarted)) return false;
        } else if (key == "serverStarted") {
            if (!numeric(s.serverStarted)) return false;
        } else if (key == "lastExitAt") {
            if (!numeric(s.lastExitAt)) return false;
        } else if (key == "nextRestart") {
            if (!numeric(s.nextRestart)) return false;
        } else if (key == "updated") {
            if (!numeric(s.updated)) return false;
        } else if (key == "lastExit") {
            s.lastExit = value;
        } else if (key == "log") {
            s.log = value;
        }
        // Other keys (the local readings, later additions) are the reader's to skip.
    }
    if (!sawSection || !sawState) return false;
    status = s;
    return true;
}

bool WriteRunStatus(const std::string& path, const RunStatus& status) {
    const std::string bytes = FormatRunStatus(status);
    platform::ReplacingFile file;
    // A fresh temporary name: a reader (or a killed writer's leftover) is
    // never written through.
    return file.Open(path.c_str(), platform::TemporaryName::Fresh) && file.Write(bytes.data(), bytes.size()) &&
           file.Commit(true);
}

InstanceReport DescribeInstance(const std::string* statusBytes, bool lockHeld, unsigned long lockHolder) {
    InstanceReport report;
    report.running = lockHeld;
    report.hasStatus = statusBytes != nullptr && ParseRunStatus(*statusBytes, report.status);
    const RunStatus& s = report.status;
    const auto exitPart = [&s]() {
        return s.lastExit.empty() ? std::string()
                                  : "last exit " + s.lastExit + " at " + FormatLocalTime(s.lastExitAt);
    };
    // The file describes this supervisor only when its pid is the lock's
    // holder (where the system names one) and it is still at work.
    const bool current = report.hasStatus && IsActiveState(s.state) &&
                         (lockHolder == 0 || s.supervisorPid == 0 || s.supervisorPid == lockHolder);
    if (lockHeld) {
        const unsigned long supervisor = lockHolder != 0 ? lockHolder : s.supervisorPid;
        const std::string who = "supervisor pid " + std::to_string(supervisor);
        if (!current) {
            report.summary = "running (" + who + ")";
            return report;
        }
        std::string text;
        if (s.state == RunState::Running || s.state == RunState::Stopping) {
            text = "server pid " + std::to_string(s.serverPid) + " up since " + FormatLocalTime(s.serverStarted);
            if (s.state == RunState::Stopping) text = "stopping, " + text;
        } else if (s.state == RunState::Restarting) {
            text = "restarting";
        } else {
            text = "starting";
        }
        text += ", " + Plural(s.restarts, "restart");
        if (s.scheduledRestarts > 0) text += " (" + std::to_string(s.scheduledRestarts) + " scheduled)";
        if (!s.lastExit.empty()) text += ", " + exitPart();
        if (s.nextRestart != 0) text += ", next restart at " + FormatLocalTime(s.nextRestart);
        report.summary = "running (" + text + "; " + who + ")";
        return report;
    }
    if (!report.hasStatus) {
        report.summary = statusBytes == nullptr ? "not running (never run)" : "not running (the status file is unreadable)";
        return report;
    }
    std::string text;
    switch (s.state) {
        case RunState::Stopped: text = "stopped at " + FormatLocalTime(s.updated); break;
        case RunState::Ended: text = "the server ended " + s.lastExit + " at " + FormatLocalTime(s.lastExitAt); break;
        case RunState::CrashLoop: text = "crash loop at " + FormatLocalTime(s.updated); break;
        case RunState::RestartLoop: text = "restart loop at " + FormatLocalTime(s.updated); break;
        case RunState::Failed: text = "the server could not be started at " + FormatLocalTime(s.updated); break;
        default:
            // Its supervisor was killed: the file still tells of a run, but
            // nobody holds the lock. The last write is the last sign of it.
            text = "supervisor ended at " + FormatLocalTime(s.updated);
            break;
    }
    if (s.state != RunState::Ended && !s.lastExit.empty()) text += ", " + exitPart();
    if (s.restarts > 0) text += ", after " + Plural(s.restarts, "restart");
    report.summary = "not running (" + text + ")";
    return report;
}
