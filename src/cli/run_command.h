// servolt-cli run: writes the configuration, starts the server as Launch
// Server does (through Wine on Linux), starts it again when it ends by the
// restart policy, passes its output on and stops it on the operator's word.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/supervise/instance_files.h"
#include "core/supervise/restart_schedule.h"
#include "core/supervise/run_log.h"
#include "platform/instance_lock.h"
#include "platform/process.h"

namespace CLI {
class App;
}

struct RunOptions {
    // Names the lock, the status file and the default log.
    std::string instance = "default";
    bool noWrite = false;
    std::string restart = "on-failure";
    int maxRestarts = 5;
    double within = 300;  // seconds
    double grace = 10;    // seconds
    std::string restartAt;    // "HH:MM[,HH:MM...]", local time
    double restartEvery = 0;  // hours; 0: none
    std::string log;
    double logMaxSize = 10;  // MB of 1,048,576 bytes
    std::string launcher;    // empty: wine on Linux, none on Windows
    std::string consoleScript = "server.cfg";  // started with +exec
    std::vector<std::string> serverArguments;
};

// Adds the subcommand with its own options; the caller adds --ini, --game
// and --prefix as for the other commands.
CLI::App* AddRunSubcommand(CLI::App& app, RunOptions& options);

// What a run has settled before anything is written or started.
struct PreparedRun {
    platform::ProcessStart start;
    std::string name;  // for the event lines
    RunLog log;
    std::string logPath;  // as given or the instance's; the log always has one
    InstanceFiles files;
    platform::InstanceLock lock;  // held for the whole run
    RestartSchedule schedule;
};

// Refuses, having said why, what would end the run before it starts: a
// server that is not in the game folder or whose path would be cut
// (reported through `notices`, as Launch Server reports it), a launcher that
// is not found, a schedule that is not one, an instance another supervisor
// runs (naming its pid), a log that cannot be opened. Asks nothing of the
// user folder, whose lookup may create the documents folder: a refused run
// writes nothing there.
bool PrepareRun(const std::string& gameFolder, const std::string& winePrefix, const RunOptions& options,
                const NoticeSink& notices, PreparedRun& run);

// Runs the command: 0 once stopped by the operator or (on-failure) after a
// clean end, the server's exit code with --restart never, 1 after a crash
// loop (or a restart loop of clean ends), 2 when nothing could be started.
// Keeps the instance's status file at every event. `writeFiles` writes server.cfg and
// usedmods.cfg as `servolt-cli write` does and returns its exit code; the
// context's settings file tells whether a map is set.
int RunServer(PreparedRun& run, const ServerContext& context, const RunOptions& options,
              const std::function<int()>& writeFiles);
