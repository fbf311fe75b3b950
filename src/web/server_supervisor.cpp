#include "web/server_supervisor.h"

#include <chrono>

#include "platform/platform.h"

namespace {

// Enough of a run's last words to tell why it ended.
constexpr std::size_t kKeptOutput = 2048;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string LastLine(const std::string& output) {
    std::size_t end = output.find_last_not_of("\r\n");
    if (end == std::string::npos) return std::string();
    const std::size_t start = output.find_last_of("\r\n", end);
    return output.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start == std::string::npos ? 0 : start + 1));
}

}  // namespace

struct ServerSupervisor::Run {
    Instance instance;
    std::unique_ptr<platform::ChildProcess> process;  // null once ended and noticed
    bool stopping = false;
    std::int64_t stopAskedMs = 0;
    bool killed = false;
    bool restartPending = false;
    std::string output;  // the last of what the run printed
    std::string failure;

    void Keep(const char* data, std::size_t size) {
        output.append(data, size);
        if (output.size() > 2 * kKeptOutput) output.erase(0, output.size() - kKeptOutput);
    }
};

ServerSupervisor::ServerSupervisor(const WebSite& site)
    : site_(site),
      stopTimeoutMs_(static_cast<std::int64_t>((kServeRunGraceSeconds + kServeStopMarginSeconds) * 1000)) {}

ServerSupervisor::~ServerSupervisor() = default;

ServerSupervisor::Run* ServerSupervisor::Find(const std::string& name) const {
    for (const auto& run : runs_) {
        if (SameInstanceName(run->instance.name, name)) return run.get();
    }
    return nullptr;
}

bool ServerSupervisor::RunCommand(const Instance& instance, platform::ProcessStart& start, std::string& why) const {
    if (site_.program.empty()) {
        why = "the program that runs a server is not known";
        return false;
    }
    start.program = site_.program;
    start.arguments = {"run", "--instance", instance.name, "--grace", Figure(kServeRunGraceSeconds)};
    if (!site_.instancesFile.empty()) start.arguments.insert(start.arguments.end(), {"--instances", site_.instancesFile});
    // serve's own places stand for an instance that names none, as the
    // settings it shows do.
    if (instance.game.empty() && !site_.gameFolder.empty())
        start.arguments.insert(start.arguments.end(), {"--game", site_.gameFolder});
    if (instance.prefix.empty() && !site_.winePrefix.empty())
        start.arguments.insert(start.arguments.end(), {"--prefix", site_.winePrefix});
    if (site_.keepHistory != 0)
        start.arguments.insert(start.arguments.end(), {"--keep-history", std::to_string(site_.keepHistory)});
    // Relative places given to serve mean the same to the run.
    if (!platform::QueryCurrentFolder(start.folder)) {
        why = "the current folder cannot be found";
        return false;
    }
    return true;
}

bool ServerSupervisor::Start(const Instance& instance, std::string& why) {
    Run* run = Find(instance.name);
    if (run != nullptr && run->process) {
        why = "the instance \"" + instance.name + "\" is already running, started here";
        return false;
    }
    platform::ProcessStart start;
    if (!RunCommand(instance, start, why)) return false;
    auto process = std::make_unique<platform::ChildProcess>();
    if (!process->Start(start, why)) return false;
    if (run == nullptr) {
        runs_.push_back(std::make_unique<Run>());
        run = runs_.back().get();
    }
    run->instance = instance;
    run->process = std::move(process);
    run->stopping = false;
    run->killed = false;
    run->restartPending = false;
    run->output.clear();
    run->failure.clear();
    return true;
}

bool ServerSupervisor::Stop(const std::string& name) {
    Run* run = Find(name);
    if (run == nullptr || !run->process) return false;
    run->restartPending = false;
    if (!run->stopping) {
        run->stopping = true;
        run->stopAskedMs = NowMs();
        run->process->AskToStop();
    }
    return true;
}

bool ServerSupervisor::Restart(const Instance& instance) {
    if (!Stop(instance.name)) return false;
    Run* run = Find(instance.name);
    run->instance = instance;
    run->restartPending = true;
    return true;
}

bool ServerSupervisor::IsRunning(const std::string& name) const {
    const Run* run = Find(name);
    return run != nullptr && run->process;
}

bool ServerSupervisor::IsStopping(const std::string& name) const {
    const Run* run = Find(name);
    return run != nullptr && run->process && run->stopping;
}

unsigned long ServerSupervisor::RunId(const std::string& name) const {
    const Run* run = Find(name);
    return run != nullptr && run->process ? run->process->Id() : 0;
}

std::string ServerSupervisor::LastFailure(const std::string& name) const {
    const Run* run = Find(name);
    return run != nullptr ? run->failure : std::string();
}

void ServerSupervisor::Noticed(Run& run) {
    const platform::ProcessEnd end = run.process->End();
    if (run.killed) {
        run.failure = "the run did not stop within " + Figure(static_cast<double>(stopTimeoutMs_) / 1000) +
                      " s and was ended by force";
    } else if (end.code != 0 || end.signal != 0) {
        run.failure = LastLine(run.output);
        if (run.failure.empty()) run.failure = "the run ended with code " + std::to_string(end.code);
    }
    run.process.reset();
    run.stopping = false;
    if (run.restartPending) {
        run.restartPending = false;
        std::string why;
        if (!Start(run.instance, why)) run.failure = why;
    }
}

void ServerSupervisor::Tick() {
    const std::int64_t now = NowMs();
    // A restart may add to runs_: by index.
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        Run& run = *runs_[i];
        if (!run.process) continue;
        const platform::WaitResult result = run.process->Wait(
            0, [&run](const char* data, std::size_t size) { run.Keep(data, size); }, false);
        if (result == platform::WaitResult::Ended) {
            Noticed(run);
        } else if (run.stopping && !run.killed && now - run.stopAskedMs >= stopTimeoutMs_) {
            run.killed = true;
            run.restartPending = false;
            run.process->Kill();
        }
    }
}

void ServerSupervisor::StopAll() {
    const unsigned requests = platform::StopRequestCount();
    for (const auto& run : runs_) {
        if (run->process) Stop(run->instance.name);
        run->restartPending = false;
    }
    const std::int64_t deadline = NowMs() + stopTimeoutMs_;
    std::int64_t forcedAt = 0;
    for (;;) {
        bool going = false;
        for (const auto& run : runs_) {
            if (!run->process) continue;
            going = true;
            const platform::WaitResult result = run->process->Wait(
                50, [&run](const char* data, std::size_t size) { run->Keep(data, size); }, false);
            if (result == platform::WaitResult::Ended) Noticed(*run);
        }
        // What is not gone a while after the force is left to the
        // children's own ends, which take everything with them.
        if (!going || (forcedAt != 0 && NowMs() - forcedAt > 5000)) return;
        // A further request to stop serve does not wait for the grace.
        if (forcedAt == 0 && (NowMs() >= deadline || platform::StopRequestCount() > requests)) {
            forcedAt = NowMs();
            for (const auto& run : runs_) {
                if (!run->process) continue;
                run->killed = true;
                run->process->Kill();
            }
        }
    }
}
