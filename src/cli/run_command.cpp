#include "cli/run_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/notice.h"
#include "core/common/ui_text.h"
#include "core/launch/launch_paths.h"
#include "core/settings/server_settings.h"
#include "core/supervise/restart_policy.h"
#include "core/supervise/run_log.h"
#include "platform/console.h"
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

// A relative path made absolute against the current folder: the server and
// its launcher run in the game folder, where a relative path would name
// something else.
std::string Absolute(const std::string& path) {
    const bool absolute = (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
                          (path.size() >= 2 && path[1] == ':');
    std::string here;
    if (absolute || path.empty() || !platform::QueryCurrentFolder(here)) return path;
    if (path == ".") return here;
    return here + (here.back() == '\\' || here.back() == '/' ? "" : "\\") + path;
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
            log_->WriteLine(FormatLogTime(std::time(nullptr)) + " servolt-cli: " + text);
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

// Asks the server to end and ends it by force once the grace is over.
void StopServer(platform::ChildProcess& server, long graceMs, std::int64_t startedAt, Events& events,
                const platform::OutputSink& forward) {
    events.Line("stopping (" + platform::StopRequestName() + "): asked the server to end, waiting up to " +
                FormatRunTime(graceMs));
    server.AskToStop();
    bool forced = false;
    if (server.Wait(graceMs, forward, false) != platform::WaitResult::Ended) {
        forced = true;
        server.Kill();
        server.Wait(-1, forward, false);
    }
    const std::string ran = FormatRunTime(NowMs() - startedAt);
    events.Line(forced ? "ended by force after " + ran : "ended " + DescribeEnd(server.End()) + " after " + ran);
    events.Line("stopped");
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
    const auto logMaxSize = static_cast<std::uint64_t>(options.logMaxSize * kBytesPerMB);
    if (!options.log.empty() && !run.log.Open(options.log, std::max<std::uint64_t>(1, logMaxSize))) {
        Say("log " + ShownPath(options.log) + ": " + run.log.Failure());
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
    const long graceMs = static_cast<long>(options.grace * 1000);
    const double timeScale = TimeScale();
    const PreparedRun& launch = run;
    RunLog& log = run.log;

    if (!options.noWrite) {
        const int written = writeFiles();
        if (written != 0) return written;
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
    Events events(options.log.empty() ? nullptr : &log, ShownPath(options.log));
    const platform::OutputSink forward = [&events](const char* data, std::size_t size) { events.Output(data, size); };
    RestartPolicy policy(rules);
    int exitCode = 0;
    for (bool first = true;; first = false) {
        platform::ChildProcess server;
        std::string error;
        const std::int64_t startedAt = NowMs();
        policy.Started(startedAt);
        bool failed = true;
        if (!server.Start(launch.start, error)) {
            if (first) {
                Say(error);
                return kExitFailed;
            }
            events.Line(error);  // a failed restart counts as a failed run
        } else {
            events.Line("started " + launch.name + " (pid " + std::to_string(server.Id()) + ")");
            if (first && !server.TiedToThisProcess()) {
                Say("warning: the server could not be put in a job object; it may outlive servolt-cli");
            }
            if (server.Wait(-1, forward, true) == platform::WaitResult::StopRequested) {
                StopServer(server, graceMs, startedAt, events, forward);
                platform::StopRequestHandled();
                return 0;
            }
            const platform::ProcessEnd end = server.End();
            events.Line("ended " + DescribeEnd(end) + " after " + FormatRunTime(NowMs() - startedAt));
            failed = end.code != 0 || end.signal != 0;
            exitCode = static_cast<int>(end.code);
        }

        const RestartDecision decision = policy.Ended(NowMs(), failed);
        if (decision.step == NextStep::Finish) return exitCode;
        if (decision.step == NextStep::CrashLoop) {
            char window[32];
            std::snprintf(window, sizeof window, "%g s", options.within);
            events.Line("crash loop: more than " + std::to_string(rules.maxRestarts) + " restarts within " + window +
                        "; giving up");
            return kExitCrashLoop;
        }
        events.Line("restarting in " + std::to_string(decision.waitMs / 1000) + " s (" +
                    std::to_string(decision.restartsInWindow) + " of " + std::to_string(rules.maxRestarts) + ")");
        if (!platform::SleepUnlessStopRequested(static_cast<long>(decision.waitMs * timeScale))) {
            events.Line("stopped (" + platform::StopRequestName() + ") before the restart");
            platform::StopRequestHandled();
            return 0;
        }
    }
}

void AddRunCommand(CommandSet& commands) {
    const auto options = MakeOptions<RunOptions>();
    CLI::App* run = AddRunSubcommand(commands.App(), *options);
    commands.AddPlaceOptions(run, CommandSet::kIni | CommandSet::kGame | CommandSet::kPrefix | CommandSet::kHistory);
    const CliPlaces& places = commands.Places();
    commands.Add(run, [options, &places] {
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
        return RunServer(prepared, context, *options, [&context] { return WriteConfiguration(context, true, false); });
    });
}
