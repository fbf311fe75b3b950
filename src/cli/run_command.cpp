#include "cli/run_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/notice.h"
#include "core/common/ui_text.h"
#include "core/launch/launch_paths.h"
#include "core/settings/server_settings.h"
#include "core/supervise/instance_files.h"
#include "core/supervise/restart_policy.h"
#include "core/supervise/restart_schedule.h"
#include "core/supervise/run_log.h"
#include "core/supervise/run_status.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

constexpr int kExitCrashLoop = 1;
constexpr double kBytesPerMB = 1024.0 * 1024.0;

const char* const kDefaultLauncher = platform::WindowsProgramLauncher();


std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The wall clock the schedule and the status file read, in milliseconds
// since 1970. Tests set SERVOLT_RUN_CLOCK to the seconds since 1970 it is to
// start at (a minute before a restart is due, a night the clocks change);
// from there it runs at the real pace.
std::int64_t WallMs() {
    static const std::int64_t began = NowMs();
    static const std::int64_t origin = [] {
        const char* text = std::getenv("SERVOLT_RUN_CLOCK");
        char* end = nullptr;
        const long long seconds = text != nullptr && *text != '\0' ? std::strtoll(text, &end, 10) : -1;
        if (seconds >= 0 && end != nullptr && *end == '\0') return static_cast<std::int64_t>(seconds) * 1000;
        return static_cast<std::int64_t>(std::time(nullptr)) * 1000 +
               std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                       .count() %
                   1000;
    }();
    return origin + (NowMs() - began);
}

std::int64_t WallSeconds() { return WallMs() / 1000; }

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

// Tests scale the waits between restarts with SERVOLT_RUN_TIME_SCALE (0.01:
// a wait of 1 s lasts 10 ms; 10: it lasts 10 s, time enough to stop it on
// a busy machine). The lines printed keep the real figures, and nothing
// else is scaled.
double TimeScale() {
    const char* text = std::getenv("SERVOLT_RUN_TIME_SCALE");
    if (text == nullptr || *text == '\0') return 1.0;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    return end != text && *end == '\0' && scale > 0 && scale <= 100 ? scale : 1.0;
}

std::string DescribeEnd(const platform::ProcessEnd& end) {
    if (end.signal != 0) return "by signal " + std::to_string(end.signal);
    char text[32];
    // A Windows crash ends with an exception code, which reads better in hex.
    if (end.code >= 0x80000000ul) std::snprintf(text, sizeof text, "with code 0x%08lX", end.code);
    else std::snprintf(text, sizeof text, "with code %lu", end.code);
    return text;
}

// The event lines: on standard error, and dated in the log.
class Events {
public:
    Events(RunLog* log, const std::string& path) : log_(log), path_(path) {}

    void Line(const std::string& text) {
        Say(text);
        if (log_ != nullptr) {
            log_->WriteLine(FormatLogTime(static_cast<std::time_t>(WallSeconds())) + " servolt-cli: " + text);
            CheckLog();
        }
    }

    void Output(const char* data, std::size_t size) {
        std::fwrite(data, 1, size, stdout);
        std::fflush(stdout);
        if (log_ != nullptr) {
            log_->WriteOutput(data, size);
            CheckLog();
        }
    }

private:
    void CheckLog() {
        // Each new trouble with the log is told once; the output goes on to
        // the terminal regardless.
        const std::string& failure = log_->Failure();
        if (failure != shownFailure_ && !failure.empty()) Say("log " + path_ + ": " + failure);
        shownFailure_ = log_->Failure();
    }

    RunLog* log_;
    std::string path_;  // as shown
    std::string shownFailure_;
};

// The instance's status file, written again at every event. A file that
// cannot be written is told once; the server runs on regardless.
class StatusKeeper {
public:
    StatusKeeper(const std::string& path, const std::string& log) : path_(path) {
        status_.supervisorPid = platform::CurrentProcessId();
        status_.supervisorStarted = WallSeconds();
        status_.log = log;
    }

    RunStatus& Status() { return status_; }

    void Write(RunState state) {
        status_.state = state;
        status_.updated = WallSeconds();
        if (path_.empty()) return;
        // On Windows a `status` reading the file at this instant keeps it
        // from being replaced: tried again after a moment.
        bool written = false;
        for (int attempt = 0; attempt < 3 && !written; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            written = WriteRunStatus(path_, status_);
        }
        if (!written) {
            if (!failed_) Say("status file " + platform::LastError(path_).Describe() + "; the server runs on");
            failed_ = true;
        } else {
            failed_ = false;
        }
    }

    void Ended(const std::string& how) {
        status_.serverPid = 0;
        status_.nextRestart = 0;
        status_.lastExit = how;
        status_.lastExitAt = WallSeconds();
    }

private:
    std::string path_;
    RunStatus status_;
    bool failed_ = false;
};

}  // namespace

CLI::App* AddRunSubcommand(CLI::App& app, RunOptions& options) {
    CLI::App* run = app.add_subcommand(
        "run", "write the configuration, start the server and keep it running until stopped (Ctrl+C, SIGTERM)");
    run->add_flag("--no-write", options.noWrite, "start the server with the files as they are");
    run->add_option("--restart", options.restart, "when to start the server again (default: on-failure)")
        ->check(CLI::IsMember({"on-failure", "always", "never"}));
    run->add_option("--max-restarts", options.maxRestarts,
                    "more restarts than this within --within seconds is a crash loop (default: 5)")
        ->check(CLI::NonNegativeNumber);
    // The limits keep every figure within what the clocks and sizes hold.
    run->add_option("--within", options.within, "the crash-loop window in seconds (default: 300)")
        ->check(CLI::PositiveNumber & CLI::Range(0.0, 1e8));
    run->add_option("--grace", options.grace,
                    "seconds the server has to end when asked before it is ended by force (default: 10)")
        ->check(CLI::Range(0.0, 86400.0));
    run->add_option("--restart-at", options.restartAt,
                    "restart the server at these local times of the day, HH:MM[,HH:MM...]")
        ->option_text("TIMES");
    run->add_option("--restart-every", options.restartEvery, "restart the server after so many hours up")
        ->option_text("HOURS")
        ->check(CLI::PositiveNumber & CLI::Range(0.0, 1e5));
    run->add_option("--log", options.log, "append the server's output and the events to this file");
    run->add_option("--log-max-size", options.logMaxSize,
                    "rotate the log at this size in MB, keeping 5 (default: 10)")
        ->check(CLI::PositiveNumber & CLI::Range(0.0, 1e6));
    run->add_option("--launcher", options.launcher,
                    std::string("start the server through this program") +
                        (*kDefaultLauncher ? " (default: wine, with WINEPREFIX set from --prefix)" : ""));
    run->add_option("arguments", options.serverArguments, "more arguments for the server, after --");
    return run;
}

namespace {

// The program, arguments and environment that start the server: the server
// itself on Windows, as the window does, or the launcher with the server's
// path first. False, having said why, when the launcher is not found.
bool PrepareLaunch(const std::string& winePrefix, const RunOptions& options, const ServerLaunchPaths& paths,
                   PreparedRun& launch) {
    launch.start.folder = paths.folder;
    launch.start.arguments = {"+exec", options.consoleScript};
    launch.start.arguments.insert(launch.start.arguments.end(), options.serverArguments.begin(),
                                  options.serverArguments.end());
    launch.name = kServerProgramName;
    const std::string launcher = options.launcher.empty() ? kDefaultLauncher : options.launcher;
    if (launcher.empty()) {
        launch.start.program = paths.executable;
        launch.start.bareCommandLine = true;  // " +exec server.cfg", as the window starts it
        return true;
    }
    if (!platform::FindProgram(launcher, launch.start.program)) {
        Say("the launcher \"" + launcher + "\" is not found" +
            (launcher.find_first_of("/\\") == std::string::npos ? " on PATH" : "") +
            (options.launcher.empty() ? " (install Wine, or name another program with --launcher)" : ""));
        return false;
    }
    launch.start.arguments.insert(launch.start.arguments.begin(), ShownPath(paths.executable));
    launch.name += " through " + launcher;
    // The server reads server.cfg from the user folder of this prefix, where
    // it has just been written.
    if (!winePrefix.empty()) launch.start.environment.push_back({"WINEPREFIX", ShownPath(Absolute(winePrefix))});
    return true;
}

// How a polite stop went.
struct StopOutcome {
    bool operatorAsked = false;  // a request to stop came (before or during): no restart follows
};

// Asks the server to end and ends it by force once the grace is over, or at
// once when the operator asks again during it. `seen` is the count of stop
// requests already answered; `why` opens the first event line ("stopping
// (SIGTERM)", "scheduled restart").
StopOutcome StopServer(platform::ChildProcess& server, const RunOptions& options, const std::string& why,
                       std::int64_t startedAt, Events& events, const platform::OutputSink& forward,
                       unsigned& seen, StatusKeeper& status) {
    StopOutcome outcome;
    outcome.operatorAsked = platform::StopRequested();
    const long graceMs = static_cast<long>(options.grace * 1000);
    events.Line(why + ": asked the server to end, waiting up to " + FormatRunTime(graceMs));
    status.Write(RunState::Stopping);
    server.AskToStop();
    const std::int64_t deadline = NowMs() + graceMs;
    std::string forced;
    for (;;) {
        const std::int64_t left = deadline - NowMs();
        const platform::WaitResult result = server.Wait(left > 0 ? static_cast<long>(left) : 0, forward, true, seen);
        if (result == platform::WaitResult::Ended) break;
        if (result == platform::WaitResult::TimedOut) {
            forced = "after the " + Seconds(options.grace) + " grace";
        } else if (!outcome.operatorAsked) {
            // The operator's first request during a scheduled restart: the
            // server is on its way down already; it stays down.
            outcome.operatorAsked = true;
            seen = platform::StopRequestCount();
            events.Line("stopping (" + platform::LatestStopRequestName() + "): no restart after this one");
            continue;
        } else {
            forced = "at once (" + platform::LatestStopRequestName() + " again)";
            seen = platform::StopRequestCount();
        }
        server.Kill();
        server.Wait(-1, forward, false);
        break;
    }
    const std::string how = forced.empty() ? DescribeEnd(server.End()) : "by force";
    status.Ended(how);
    events.Line(forced.empty() ? "ended " + how + " after " + FormatRunTime(NowMs() - startedAt)
                               : "ended by force " + forced);
    return outcome;
}

}  // namespace

bool PrepareRun(const std::string& gameFolder, const std::string& winePrefix, const RunOptions& options,
                const NoticeSink& notices, PreparedRun& run) {
    // The server's place first, as Launch Server refuses it: missing, or a
    // path that does not fit MAX_PATH and would be cut.
    const ServerLaunchPaths paths = ComposeServerLaunchPaths(Absolute(gameFolder));
    if (!paths.fits || !platform::PathExists(paths.executable.c_str())) {
        Notice notice;
        notice.file = paths.executable;
        notice.text = ComposeLaunchFailureText(LoadUIText(IDS_LAUNCH_FAILED_TEXT).c_str(), paths.executable);
        notice.caption = LoadUIText(IDS_LAUNCH_FAILED_CAPTION);
        notice.style = 0x30;  // MB_ICONWARNING
        ReportNotice(notices, notice);
        return false;
    }
    if (!PrepareLaunch(winePrefix, options, paths, run)) return false;
    std::string error;
    if (!options.restartAt.empty() && !ParseRestartTimes(options.restartAt, run.schedule.minutesOfDay, error)) {
        Say("--restart-at: " + error);
        return false;
    }
    run.schedule.everySeconds = static_cast<std::int64_t>(options.restartEvery * 3600);
    if (options.restartEvery > 0 && run.schedule.everySeconds < 1) run.schedule.everySeconds = 1;

    // One supervisor per instance: a second would start a second server on
    // the same port and files.
    run.files = FilesOfInstance(options.instance);
    if (run.files.lock.empty()) {
        Say("no folder for the instance's lock and status: set HOME (or XDG_RUNTIME_DIR)");
        return false;
    }
    const std::string runtime = run.files.lock.substr(0, run.files.lock.find_last_of("\\"));
    if (!MakeFolders(runtime)) {
        Say("cannot make the folder " + ShownPath(runtime) + ": " + platform::LastError(runtime).text);
        return false;
    }
    unsigned long holder = 0;
    platform::Error lockError;
    platform::LockOutcome taken = platform::LockOutcome::Failed;
    // A `status` looking at the lock on Windows holds it for an instant:
    // tried a few times before the instance counts as taken.
    for (int attempt = 0; attempt < 5; ++attempt) {
        taken = run.lock.Take(run.files.lock, holder, lockError);
        if (taken != platform::LockOutcome::HeldElsewhere) break;
        platform::SleepUnlessStopRequested(100);
    }
    if (taken == platform::LockOutcome::HeldElsewhere) {
        Say("the instance \"" + options.instance + "\" is already running under servolt-cli" +
            (holder != 0 ? " (pid " + std::to_string(holder) + ")" : "") + "; not starting a second server");
        return false;
    }
    if (taken == platform::LockOutcome::Failed) {
        Say("cannot take the lock " + ShownPath(run.files.lock) + ": " + lockError.text);
        return false;
    }

    run.logPath = options.log;
    if (run.logPath.empty()) {
        run.logPath = run.files.log;
        MakeFolders(run.files.logFolder);  // a failure shows as the log's
    }
    const auto logMaxSize = static_cast<std::uint64_t>(options.logMaxSize * kBytesPerMB);
    if (!run.log.Open(run.logPath, std::max<std::uint64_t>(1, logMaxSize))) {
        Say("log " + ShownPath(run.logPath) + ": " + run.log.Failure());
        return false;
    }
    return true;
}

int RunServer(PreparedRun& run, const ServerContext& context, const RunOptions& options,
              const std::function<int()>& writeFiles) {
    RestartRules rules;
    ParseRestartMode(options.restart.c_str(), rules.mode);
    rules.maxRestarts = options.maxRestarts;
    rules.windowMs = static_cast<std::int64_t>(options.within * 1000);
    const double timeScale = TimeScale();
    const PreparedRun& launch = run;
    RunLog& log = run.log;
    StatusKeeper status(run.files.status, ShownPath(run.logPath));
    status.Write(RunState::Starting);

    if (!options.noWrite) {
        const int written = writeFiles();
        if (written != 0) {
            status.Write(RunState::Failed);
            return written;
        }
        const auto settings = std::make_unique<ServerSettings>();
        settings->SetDefaults();
        settings->ReadSettings(context.places);
        if (settings->MapName[0] == '\0' && settings->MapRotationList[0] == '\0') {
            Say("warning: neither a start map nor a rotation is set; give the server one at its console "
                "(map <mapname>, sv_maplist <maps>)");
        }
    }

    // The server's bytes go on as they came; text mode would add CRs.
    platform::SetStandardOutputBinary();
    platform::CatchStopRequests();
    Events events(log.IsOpen() ? &log : nullptr, ShownPath(run.logPath));
    const platform::OutputSink forward = [&events](const char* data, std::size_t size) { events.Output(data, size); };
    RestartPolicy policy(rules);
    RunStatus& state = status.Status();
    unsigned seen = 0;  // stop requests answered
    int exitCode = 0;
    for (bool first = true;; first = false) {
        platform::ChildProcess server;
        std::string error;
        const std::int64_t startedAt = NowMs();
        policy.Started(startedAt);
        if (!first) ++state.restarts;
        bool failed = true;
        bool scheduled = false;
        if (!server.Start(launch.start, error)) {
            if (first) {
                Say(error);
                status.Ended("not started");
                status.Write(RunState::Failed);
                return kExitFailed;
            }
            events.Line(error);  // a failed restart counts as a failed run
            status.Ended("not started");
        } else {
            events.Line("started " + launch.name + " (pid " + std::to_string(server.Id()) + ")");
            if (first && !server.TiedToThisProcess()) {
                Say("warning: the server could not be put in a job object; it may outlive servolt-cli");
            }
            state.serverPid = server.Id();
            state.serverStarted = WallSeconds();
            state.nextRestart = NextScheduledRestart(run.schedule, state.serverStarted, state.serverStarted);
            status.Write(RunState::Running);
            for (;;) {
                long timeout = -1;
                if (state.nextRestart != 0) {
                    // Looked at again every minute at least: the wall clock
                    // may be set meanwhile.
                    const std::int64_t left = state.nextRestart * 1000 - WallMs();
                    timeout = static_cast<long>(std::max<std::int64_t>(0, std::min<std::int64_t>(left, 60 * 1000)));
                }
                const platform::WaitResult result = server.Wait(timeout, forward, true, seen);
                if (result == platform::WaitResult::Ended) break;
                if (result == platform::WaitResult::StopRequested) {
                    seen = platform::StopRequestCount();
                    StopServer(server, options, "stopping (" + platform::StopRequestName() + ")", startedAt, events,
                               forward, seen, status);
                    events.Line("stopped");
                    status.Write(RunState::Stopped);
                    platform::StopRequestHandled();
                    return 0;
                }
                if (state.nextRestart != 0 && WallMs() >= state.nextRestart * 1000) {
                    const StopOutcome outcome =
                        StopServer(server, options, "scheduled restart", startedAt, events, forward, seen, status);
                    if (outcome.operatorAsked) {
                        events.Line("stopped");
                        status.Write(RunState::Stopped);
                        platform::StopRequestHandled();
                        return 0;
                    }
                    scheduled = true;
                    break;
                }
            }
            if (!scheduled) {
                const platform::ProcessEnd end = server.End();
                events.Line("ended " + DescribeEnd(end) + " after " + FormatRunTime(NowMs() - startedAt));
                failed = end.code != 0 || end.signal != 0;
                exitCode = static_cast<int>(end.code);
                status.Ended(DescribeEnd(end));
            }
        }

        if (scheduled) {
            // Never counted toward a crash loop: the server did not fail.
            ++state.scheduledRestarts;
            events.Line("restarting as scheduled");
            status.Write(RunState::Restarting);
            continue;
        }
        const RestartDecision decision = policy.Ended(NowMs(), failed);
        if (decision.step == NextStep::Finish) {
            status.Write(RunState::Ended);
            return exitCode;
        }
        if (decision.step == NextStep::CrashLoop) {
            char window[32];
            std::snprintf(window, sizeof window, "%g s", options.within);
            events.Line(std::string(decision.cleanEndsOnly ? "restart loop" : "crash loop") + ": more than " +
                        std::to_string(rules.maxRestarts) + " restarts within " + window + "; giving up");
            status.Write(decision.cleanEndsOnly ? RunState::RestartLoop : RunState::CrashLoop);
            return kExitCrashLoop;
        }
        events.Line("restarting in " + std::to_string(decision.waitMs / 1000) + " s (" +
                    std::to_string(decision.restartsInWindow) + " of " + std::to_string(rules.maxRestarts) + ")");
        status.Write(RunState::Restarting);
        if (!platform::SleepUnlessStopRequested(static_cast<long>(decision.waitMs * timeScale), seen)) {
            events.Line("stopped (" + platform::StopRequestName() + ") before the restart");
            status.Write(RunState::Stopped);
            platform::StopRequestHandled();
            return 0;
        }
    }
}

void AddRunCommand(CommandSet& commands) {
    const auto options = MakeOptions<RunOptions>();
    CLI::App* run = AddRunSubcommand(commands.App(), *options);
    const auto force = std::make_shared<bool>(false);
    run->add_flag("--force", *force, "with no settings file, replace a server.cfg or usedmods.cfg that write did not make from the defaults");
    commands.AddPlaceOptions(run, CommandSet::kIni | CommandSet::kGame | CommandSet::kPrefix | CommandSet::kHistory);
    const CliPlaces& places = commands.Places();
    commands.Add(run, [options, force, &places] {
        // Refused before anything is written or started, and before the user
        // folder is asked for (which may create the documents folder).
        std::string error;
        if (!CheckPlaceOptions(places, true, error)) {
            Say(error);
            return kExitFailed;
        }
        options->instance = places.chosen.name;
        options->consoleScript = ConsoleScriptOf(places);
        PreparedRun prepared;
        if (!PrepareRun(GameFolderOf(places), WinePrefixOf(places), *options, PrintNotice, prepared)) {
            return kExitFailed;
        }
        ServerContext context;
        if (!OpenServer(places, true, context)) return kExitFailed;
        return RunServer(prepared, context, *options,
                         [&context, force] { return WriteConfiguration(context, true, false, *force); });
    });
}
