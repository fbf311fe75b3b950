// Child processes and stop requests on POSIX hosts (Linux: the server run
// under Wine). One thread does everything: signals only write a byte into a
// pipe that poll() watches beside the child's output.
#include "platform/process.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include "platform/platform.h"

extern char** environ;

namespace platform {

namespace {

int g_wake[2] = {-1, -1};  // signals write here; poll() reads
volatile std::sig_atomic_t g_stopSignal = 0;   // the first request's
volatile std::sig_atomic_t g_latestSignal = 0;
volatile std::sig_atomic_t g_stopCount = 0;

void Wake() {
    const int saved = errno;
    const ssize_t ignored = write(g_wake[1], "x", 1);  // a full pipe already wakes
    (void)ignored;
    errno = saved;
}

void OnStopSignal(int signal) {
    if (g_stopSignal == 0) g_stopSignal = signal;
    g_latestSignal = signal;
    g_stopCount = g_stopCount + 1;
    Wake();
}

void OnChildSignal(int) { Wake(); }

void Install(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

void EnsureWakePipe() {
    if (g_wake[0] >= 0) return;
    if (pipe(g_wake) != 0) std::abort();  // no descriptors left at start-up: nothing can work
    for (int fd : g_wake) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    Install(SIGCHLD, OnChildSignal);
    // A closed terminal or log reader must not end the supervisor.
    signal(SIGPIPE, SIG_IGN);
}

void DrainWakePipe() {
    char bytes[64];
    while (read(g_wake[0], bytes, sizeof bytes) > 0) {
    }
}

long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string ErrnoText(int error) { return std::strerror(error); }

const char* SignalName(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "a signal";
    }
}

}  // namespace

struct ChildProcess::State {
    pid_t pid = -1;
    int output = -1;  // read end of the child's stdout and stderr
    bool ended = false;
    ProcessEnd end;
    pid_t guard = -1;
    int guardPipe = -1;  // write end; its close without a word ends the group
};

namespace {

// The guard's whole life, between fork and _exit: only async-signal-safe
// calls. It waits for the group's id, then for the word that the group has
// been dealt with; an end of the pipe without that word means this process
// is gone, and the group is ended by force.
[[noreturn]] void RunGuard(int watched, int nothing) {
    // A group of its own: this process may itself be a child that is ended
    // with its whole group (a run that serve ends by force), and the guard
    // must outlive it to end the group it watches.
    setpgid(0, 0);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) signal(s, SIG_IGN);
    signal(SIGCHLD, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Nothing the supervisor's reader waits on stays open here.
    if (nothing >= 0) {
        dup2(nothing, 0);
        dup2(nothing, 1);
        dup2(nothing, 2);
    }
    std::int32_t group = 0;
    std::size_t got = 0;
    while (got < sizeof group) {
        const ssize_t n = read(watched, reinterpret_cast<char*>(&group) + got, sizeof group - got);
        if (n > 0) got += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR) _exit(0);  // no group was made
    }
    for (;;) {
        char word = 0;
        const ssize_t n = read(watched, &word, 1);
        if (n == 1 && word == 'd') _exit(0);
        if (n == 0 || (n < 0 && errno != EINTR)) break;
    }
    if (group > 1) kill(-group, SIGKILL);
    _exit(0);
}

void DismissGuard(pid_t& guard, int& guardPipe) {
    if (guardPipe >= 0) {
        const ssize_t ignored = write(guardPipe, "d", 1);
        (void)ignored;
        close(guardPipe);
        guardPipe = -1;
    }
    if (guard > 0) {
        while (waitpid(guard, nullptr, 0) < 0 && errno == EINTR) {
        }
        guard = -1;
    }
}

}  // namespace

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
    if (state_->pid > 0 && !state_->ended) {
        Kill();
        while (waitpid(state_->pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    DismissGuard(state_->guard, state_->guardPipe);
    if (state_->output >= 0) close(state_->output);
}

bool ChildProcess::Start(const ProcessStart& start, std::string& error) {
    EnsureWakePipe();
    const std::string program = HostPath(start.program.c_str());
    const std::string folder = HostPath(start.folder.c_str());

    // Everything the child needs is built before fork: between fork and exec
    // only async-signal-safe calls are made.
    std::vector<std::string> args{program};
    args.insert(args.end(), start.arguments.begin(), start.arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        bool replaced = false;
        for (const auto& set : start.environment) {
            const std::string name = set.first + "=";
            replaced = replaced || std::strncmp(*entry, name.c_str(), name.size()) == 0;
        }
        if (!replaced) variables.emplace_back(*entry);
    }
    for (const auto& set : start.environment) variables.push_back(set.first + "=" + set.second);
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(&variable[0]);
    envp.push_back(nullptr);

    // The guard first, so that no process of the group can ever be without
    // one.
    int guard[2];
    if (pipe(guard) != 0) {
        error = "cannot make a pipe: " + ErrnoText(errno);
        return false;
    }
    fcntl(guard[0], F_SETFD, FD_CLOEXEC);
    fcntl(guard[1], F_SETFD, FD_CLOEXEC);  // the server must not hold it open
    const int guardNothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t guardPid = fork();
    if (guardPid == 0) {
        close(guard[1]);
        RunGuard(guard[0], guardNothing);
    }
    close(guard[0]);
    if (guardNothing >= 0) close(guardNothing);
    if (guardPid < 0) {
        error = "cannot start a guard for the server: " + ErrnoText(errno);
        close(guard[1]);
        return false;
    }
    state_->guard = guardPid;
    state_->guardPipe = guard[1];

    int output[2], status[2];
    if (pipe(output) != 0) {
        error = "cannot make a pipe: " + ErrnoText(errno);
        DismissGuard(state_->guard, state_->guardPipe);
        return false;
    }
    if (pipe(status) != 0) {
        error = "cannot make a pipe: " + ErrnoText(errno);
        close(output[0]);
        close(output[1]);
        DismissGuard(state_->guard, state_->guardPipe);
        return false;
    }
    fcntl(output[0], F_SETFD, FD_CLOEXEC);
    fcntl(status[0], F_SETFD, FD_CLOEXEC);
    fcntl(status[1], F_SETFD, FD_CLOEXEC);  // closed by a successful exec: the parent reads nothing
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
#if defined(__linux__)
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);  // the supervisor died before the signal was armed
#endif
        // Whatever this process ignores or catches, the server gets the
        // defaults: the polite stop must reach it.
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) signal(s, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        // The parent learns why the start failed: {errno, 1 when it was the folder}.
        int message[2] = {0, 1};
        if (chdir(folder.c_str()) == 0) {
            message[1] = 0;
            if (nothing >= 0 && dup2(nothing, 0) >= 0 && dup2(output[1], 1) >= 0 && dup2(output[1], 2) >= 0)
                execve(program.c_str(), argv.data(), envp.data());
        }
        message[0] = errno;
        const ssize_t ignored = write(status[1], message, sizeof message);
        (void)ignored;
        _exit(127);
    }
    close(output[1]);
    close(status[1]);
    if (nothing >= 0) close(nothing);
    if (pid < 0) {
        error = "cannot start " + program + ": " + ErrnoText(errno);
        close(output[0]);
        close(status[0]);
        DismissGuard(state_->guard, state_->guardPipe);
        return false;
    }
    setpgid(pid, pid);  // also here, so that no signal can miss the group
    const std::int32_t group = static_cast<std::int32_t>(pid);
    const ssize_t told = write(state_->guardPipe, &group, sizeof group);
    (void)told;  // a guard that is gone cannot be told; the parent-death signal remains
    int message[2] = {0, 0};
    ssize_t got;
    while ((got = read(status[0], message, sizeof message)) < 0 && errno == EINTR) {
    }
    close(status[0]);
    if (got > 0) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        error = message[1] ? "cannot enter the folder " + folder + ": " + ErrnoText(message[0])
                           : "cannot start " + program + ": " + ErrnoText(message[0]);
        close(output[0]);
        DismissGuard(state_->guard, state_->guardPipe);
        return false;
    }
    fcntl(output[0], F_SETFL, fcntl(output[0], F_GETFL) | O_NONBLOCK);
    state_->pid = pid;
    state_->output = output[0];
    return true;
}

unsigned long ChildProcess::Id() const { return static_cast<unsigned long>(state_->pid); }

bool ChildProcess::TiedToThisProcess() const { return true; }

WaitResult ChildProcess::Wait(long timeoutMs, const OutputSink& sink, bool untilStopRequest,
                              unsigned stopRequestsSeen) {
    State& s = *state_;
    const long long deadline = NowMs() + (timeoutMs < 0 ? 0 : timeoutMs);
    char buffer[65536];
    // Even a wait without time hands over what has arrived: until a look
    // finds the pipe empty, or a bounded amount, so that a child that never
    // pauses cannot keep the caller here.
    bool idle = false;
    std::size_t taken = 0;
    for (;;) {
        if (!s.ended && s.pid > 0) {
            // Seen without reaping, so that the group's id cannot be taken by
            // another process before what the server left running is ended.
            siginfo_t info = {};
            if (waitid(P_PID, s.pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == s.pid) {
                kill(-s.pid, SIGKILL);
                int status = 0;
                while (waitpid(s.pid, &status, 0) < 0 && errno == EINTR) {
                }
                s.ended = true;
                DismissGuard(s.guard, s.guardPipe);  // the group is dealt with
                if (WIFSIGNALED(status)) {
                    s.end.signal = WTERMSIG(status);
                    s.end.code = 128 + static_cast<unsigned long>(s.end.signal);
                } else {
                    s.end.code = static_cast<unsigned long>(WEXITSTATUS(status));
                }
            }
        }
        if (s.ended) {
            // What is left in the pipe, without waiting for its end: a
            // process that left the group (wineserver does) may hold it open.
            std::size_t taken = 0;
            ssize_t n;
            while (s.output >= 0 && taken < (16u << 20) && (n = read(s.output, buffer, sizeof buffer)) > 0) {
                sink(buffer, static_cast<std::size_t>(n));
                taken += static_cast<std::size_t>(n);
            }
            if (s.output >= 0) close(s.output);
            s.output = -1;
            return WaitResult::Ended;
        }
        if (untilStopRequest && static_cast<unsigned>(g_stopCount) > stopRequestsSeen)
            return WaitResult::StopRequested;
        long long left = -1;
        if (timeoutMs >= 0) {
            left = deadline - NowMs();
            if (left <= 0 && (idle || s.output < 0 || taken >= (1u << 20))) return WaitResult::TimedOut;
            if (left < 0) left = 0;
        }
        pollfd watched[2] = {{g_wake[0], POLLIN, 0}, {s.output, POLLIN, 0}};
        // A SIGCHLD that arrives between the check above and poll() has
        // already written its byte; the 1 s cap only guards against the
        // unforeseen.
        const int wait = static_cast<int>(left < 0 || left > 1000 ? 1000 : left);
        if (poll(watched, s.output >= 0 ? 2 : 1, wait) < 0 && errno != EINTR) return WaitResult::TimedOut;
        if (watched[0].revents) DrainWakePipe();
        idle = true;
        if (s.output >= 0 && watched[1].revents) {
            const ssize_t n = read(s.output, buffer, sizeof buffer);
            if (n > 0) {
                idle = false;
                taken += static_cast<std::size_t>(n);
                sink(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                close(s.output);  // the end of the output; the end of the child comes by SIGCHLD
                s.output = -1;
            }
        }
    }
}

void ChildProcess::AskToStop() {
    if (state_->pid > 0 && !state_->ended) kill(-state_->pid, SIGINT);
}

void ChildProcess::Kill() {
    if (state_->pid > 0 && !state_->ended) {
        kill(-state_->pid, SIGKILL);
        kill(state_->pid, SIGKILL);
    }
}

ProcessEnd ChildProcess::End() const { return state_->end; }

void CatchStopRequests() {
    EnsureWakePipe();
    Install(SIGTERM, OnStopSignal);
    // SIGINT and SIGHUP stay ignored when they were, as nohup and a shell's
    // background jobs want: closing that terminal must not stop the server.
    for (int s : {SIGINT, SIGHUP}) {
        struct sigaction now = {};
        if (sigaction(s, nullptr, &now) != 0 || now.sa_handler != SIG_IGN) Install(s, OnStopSignal);
    }
}

bool StopRequested() { return g_stopCount != 0; }

unsigned StopRequestCount() { return static_cast<unsigned>(g_stopCount); }

std::string StopRequestName() { return g_stopSignal != 0 ? SignalName(g_stopSignal) : ""; }

std::string LatestStopRequestName() { return g_latestSignal != 0 ? SignalName(g_latestSignal) : ""; }

bool SleepUnlessStopRequested(long ms, unsigned stopRequestsSeen) {
    EnsureWakePipe();
    const long long deadline = NowMs() + ms;
    for (;;) {
        if (static_cast<unsigned>(g_stopCount) > stopRequestsSeen) return false;
        const long long left = deadline - NowMs();
        if (left <= 0) return true;
        pollfd watched = {g_wake[0], POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(left > 1000 ? 1000 : left)) > 0) DrainWakePipe();
    }
}

void StopRequestHandled() {}

const char* WindowsProgramLauncher() { return "wine"; }

bool FindProgram(const std::string& name, std::string& path) {
    const auto runnable = [](const std::string& file) {
        struct stat info;
        return stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0;
    };
    if (name.empty()) return false;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) {
        path = HostPath(name.c_str());
        // Absolute: the program is started in another folder.
        std::string here;
        if (path[0] != '/' && QueryCurrentFolder(here)) path = here + "/" + path;
        return runnable(path);
    }
    const char* folders = std::getenv("PATH");
    std::string list = folders ? folders : "/usr/local/bin:/usr/bin:/bin";
    for (std::string::size_type from = 0;;) {
        const std::string::size_type colon = list.find(':', from);
        std::string folder = list.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        if (folder.empty()) folder = ".";
        if (runnable(folder + "/" + name)) {
            path = folder + "/" + name;
            std::string here;
            if (path[0] != '/' && QueryCurrentFolder(here)) path = here + "/" + path;
            return true;
        }
        if (colon == std::string::npos) return false;
        from = colon + 1;
    }
}

}  // namespace platform
