// The servers serve starts, each as this very program's `run --instance
// NAME`, so that the restart policy, the run log, the status file and the
// lock are those of every other run: a server started here shows in
// `status`, and an instance another `run` holds is refused by its lock.
//
// Everything happens on the site's one thread: the children's output is
// taken without waiting at every tick, their ends are noticed there, and a
// stop that outlasts the run's grace ends the run by force.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/instances/instances.h"
#include "platform/process.h"
#include "web/web_site.h"

// The seconds `run` is given to stop its server politely, and the margin
// after which the run itself is ended by force.
constexpr double kServeRunGraceSeconds = 10;
constexpr double kServeStopMarginSeconds = 10;

class ServerSupervisor {
public:
    // `site` outlives this object: the serve command keeps both for its
    // whole life.
    explicit ServerSupervisor(const WebSite& site);
    ~ServerSupervisor();  // a run still going is ended by force
    ServerSupervisor(const ServerSupervisor&) = delete;
    ServerSupervisor& operator=(const ServerSupervisor&) = delete;

    // The program and arguments that start the instance's run. False, with
    // the reason, when the program to start is not known.
    bool RunCommand(const Instance& instance, platform::ProcessStart& start, std::string& why) const;

    // Starts the instance's run. False with the reason (a run of it going
    // here already, a start that failed); the caller has checked that no
    // other process holds the instance.
    bool Start(const Instance& instance, std::string& why);
    // Asks the instance's run to stop its server; false when none of it goes
    // here.
    bool Stop(const std::string& name);
    // Stops the instance's run and starts it again once it has ended.
    bool Restart(const Instance& instance);

    // A run of the instance is going here (started and not yet ended).
    bool IsRunning(const std::string& name) const;
    bool IsStopping(const std::string& name) const;
    // Its process id; 0 when none goes here.
    unsigned long RunId(const std::string& name) const;
    // Why the instance's last run here ended without its server running: its
    // last line when it ended with an exit code not 0. Empty otherwise.
    std::string LastFailure(const std::string& name) const;

    // Takes each run's output without waiting, notices the ends, ends a
    // stop that has taken too long, starts a restart's second half.
    void Tick();
    // Asks every run to stop and waits for them, each ended by force after
    // the grace and margin (at once when serve is asked to stop again).
    void StopAll();

    // Tests shorten the wait before a run that does not stop is ended.
    void SetStopTimeout(double seconds) { stopTimeoutMs_ = static_cast<std::int64_t>(seconds * 1000); }

private:
    struct Run;
    Run* Find(const std::string& name) const;
    void Noticed(Run& run);

    const WebSite& site_;
    std::vector<std::unique_ptr<Run>> runs_;
    std::int64_t stopTimeoutMs_;
};
