// A child program that never outlives this one, and the operator's requests
// to stop: the part of the seam that `servolt-cli run` supervises the server
// through.
//
// Windows: the child is started suspended, put into a job object that ends
// everything in it when its last handle closes (this process holds the only
// one, so the job dies with it, however it dies), then resumed. It gets a
// process group of its own, so the console's Ctrl+C reaches only this
// process, which then asks the child to end.
//
// POSIX: the child leads a process group of its own (the terminal's Ctrl+C
// reaches only this process) and is sent SIGKILL by the kernel when this
// process dies (the parent-death signal, set before the program is
// executed; a launcher that execs, as wine does, keeps it). The parent-death
// signal reaches the child alone, so a guard watches the whole group: a
// small process forked before the child, which holds the read end of a pipe
// whose only write end this process holds. When this process is gone, killed
// or not, the pipe closes and the guard ends the child's process group by
// force; whatever a launcher started without exec, and whatever ignores the
// polite signals, goes with it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct ProcessStart {
    std::string program;                 // the program file, a path of this interface
    std::vector<std::string> arguments;  // after the program's name
    // Windows: the command line holds the arguments only, each after a blank
    // and without the program's name, the way the window starts the server
    // (" +exec server.cfg"). Elsewhere the program is argv[0] either way.
    bool bareCommandLine = false;
    std::string folder;  // the working folder
    // Set in the child's environment (on Windows in this process's, which the
    // child inherits).
    std::vector<std::pair<std::string, std::string>> environment;
};

struct ProcessEnd {
    unsigned long code = 0;  // the exit code (Windows: GetExitCodeProcess, a crash's exception code)
    int signal = 0;          // POSIX: the signal that ended it; 0 when it exited
};

enum class WaitResult { Ended, StopRequested, TimedOut };

// Receives the child's output as it arrives, in pieces of any size.
using OutputSink = std::function<void(const char* data, std::size_t size)>;

class ChildProcess {
public:
    ChildProcess();
    ~ChildProcess();  // a child still running is ended by force
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program with its standard output and error on one pipe to
    // this process and an empty standard input. False, with a sentence in
    // `error`, when it could not be started. One start per object.
    bool Start(const ProcessStart& start, std::string& error);
    unsigned long Id() const;
    // Windows: whether the job object holds the child (it cannot when this
    // process is in a job that forbids it). Always true elsewhere.
    bool TiedToThisProcess() const;

    // Hands the child's output to `sink` (on the calling thread) until the
    // child has ended, `timeoutMs` has passed (negative: no limit) or, with
    // `untilStopRequest`, the operator has asked to stop more often than
    // `stopRequestsSeen` times (see StopRequestCount). Once the child has
    // ended, whatever it started that is still running is ended too and the
    // output that was left is handed over.
    WaitResult Wait(long timeoutMs, const OutputSink& sink, bool untilStopRequest, unsigned stopRequestsSeen = 0);

    // Asks the child to end. Windows: Ctrl+Break to its process group (a
    // console server), the same through an event of the child's for a child
    // that catches stop requests where no console carries Ctrl+Break (a
    // servolt-cli run started by serve), and WM_CLOSE to the top-level
    // windows of every process of its job, as taskkill without /F does (a
    // windowed server). POSIX:
    // SIGINT to its process group, which Wine turns into Ctrl+C for a
    // Windows console program (SIGTERM would end a Wine process at once).
    void AskToStop();
    // Ends the child and everything it started at once.
    void Kill();
    // Valid once Wait has returned Ended.
    ProcessEnd End() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// ---- The operator's requests to stop -------------------------------------
// From now on Ctrl+C, Ctrl+Break, closing the console and system shutdown
// (Windows; a parent's AskToStop counts as Ctrl+Break even without a
// console), or SIGINT, SIGTERM and SIGHUP (POSIX; SIGINT and SIGHUP only
// when this process was not started with them ignored), no longer end this
// process but are recorded as a request to stop.
void CatchStopRequests();
bool StopRequested();
// How many requests to stop have come so far: a caller that has answered
// the first can tell a second one by the count.
unsigned StopRequestCount();
// "Ctrl+C", "SIGTERM", ...: the first request's; empty while none has come.
std::string StopRequestName();
// The latest request's name.
std::string LatestStopRequestName();
// Sleeps `ms` milliseconds; false when a stop request beyond the first
// `stopRequestsSeen` cut the sleep short.
bool SleepUnlessStopRequested(long ms, unsigned stopRequestsSeen = 0);
// Windows: a console that is being closed waits for the stop's end before it
// ends this process; this says the stop is done. Nothing elsewhere.
void StopRequestHandled();

// Where a program named on the command line is: a name with a folder as it
// is (when the file exists), a bare name looked up as the system does
// (SearchPathA with ".exe"; the folders of PATH). False when not found.
bool FindProgram(const std::string& name, std::string& path);

// The program that starts a Windows program such as the server here: none
// on Windows, which starts it itself; "wine" elsewhere.
const char* WindowsProgramLauncher();

}  // namespace platform
