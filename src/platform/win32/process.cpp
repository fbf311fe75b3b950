// Child processes and stop requests with the real Win32 calls. An anonymous
// pipe cannot be waited on, so one thread per child reads its output into a
// buffer, and Wait hands the buffer to the caller on the caller's thread.
#include "platform/process.h"

#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace platform {

namespace {

// Stop requests: the console handler runs on a thread of its own and only
// counts the request and sets the event, which wakes one wait; the waits
// read the count.
HANDLE StopEvent() {
    static HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return event;
}
HANDLE HandledEvent() {
    static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}
volatile LONG g_stopType = -1;    // the first request's
volatile LONG g_latestType = -1;
volatile LONG g_stopCount = 0;

std::string EventName(LONG type) {
    switch (type) {
        case CTRL_C_EVENT: return "Ctrl+C";
        case CTRL_BREAK_EVENT: return "Ctrl+Break";
        case CTRL_CLOSE_EVENT: return "console closed";
        case CTRL_SHUTDOWN_EVENT: return "system shutdown";
        default: return "";
    }
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
    // A supervisor started by a scheduled task may hear other users log
    // off; that is no reason to stop the server.
    if (type == CTRL_LOGOFF_EVENT) return TRUE;
    InterlockedCompareExchange(&g_stopType, static_cast<LONG>(type), -1);
    InterlockedExchange(&g_latestType, static_cast<LONG>(type));
    InterlockedIncrement(&g_stopCount);
    SetEvent(StopEvent());
    // After these the system ends the process as soon as the handler
    // returns (or after a few seconds): return only once the server is
    // stopped. If time runs out, the job object still takes the server down.
    if (type == CTRL_CLOSE_EVENT || type == CTRL_SHUTDOWN_EVENT) WaitForSingleObject(HandledEvent(), INFINITE);
    return TRUE;
}

// A request to stop that needs no console: GenerateConsoleCtrlEvent fails
// for a process without one (a service, a task) and for any process group
// under Wine, so AskToStop also sets this event of the child's, which a
// servolt process that catches stop requests counts as a Ctrl+Break.
std::string NamedStopEvent(DWORD process) { return "Local\\servolt-stop-" + std::to_string(process); }

DWORD WINAPI WatchNamedStopEvent(void* event) {
    while (WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) == WAIT_OBJECT_0) OnConsoleEvent(CTRL_BREAK_EVENT);
    return 0;
}

// One argument as CommandLineToArgvW and the C runtime read it back.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    for (std::string::size_type i = 0;; ++i) {
        std::string::size_type backslashes = 0;
        while (i < argument.size() && argument[i] == '\\') {
            ++i;
            ++backslashes;
        }
        if (i == argument.size()) {
            quoted.append(backslashes * 2, '\\');
            break;
        }
        if (argument[i] == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        quoted += argument[i];
    }
    return quoted + "\"";
}

std::string ErrorText(DWORD code) {
    std::string text = SystemErrorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

struct WindowSearch {
    std::vector<DWORD> processes;
};

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM context) {
    const WindowSearch& search = *reinterpret_cast<const WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    for (DWORD id : search.processes) {
        if (id == owner) PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

constexpr std::size_t kMaxPendingOutput = 1u << 20;

}  // namespace

struct ChildProcess::State {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE output = nullptr;  // read end of the pipe
    HANDLE reader = nullptr;  // the thread that reads it
    HANDLE dataEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    bool tied = false;
    bool ended = false;
    ProcessEnd end;
    Lock lock;  // guards pending and readerDone
    std::string pending;
    bool readerDone = false;

    static DWORD WINAPI ReadOutput(void* context) {
        State& s = *static_cast<State*>(context);
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(s.output, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            for (;;) {
                {
                    LockGuard guard(s.lock);
                    if (s.pending.size() < kMaxPendingOutput) {
                        s.pending.append(buffer, got);
                        break;
                    }
                }
                Sleep(10);  // the supervisor is behind: let the server wait on its pipe
            }
            SetEvent(s.dataEvent);
        }
        {
            LockGuard guard(s.lock);
            s.readerDone = true;
        }
        SetEvent(s.dataEvent);
        return 0;
    }

    void Deliver(const OutputSink& sink) {
        std::string taken;
        {
            LockGuard guard(lock);
            taken.swap(pending);
        }
        if (!taken.empty()) sink(taken.data(), taken.size());
    }

    bool ReaderDone() {
        LockGuard guard(lock);
        return readerDone;
    }
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
    State* s = state_.get();
    if (s->process && !s->ended) Kill();
    if (s->job) CloseHandle(s->job);  // ends whatever is still in it
    if (s->reader) {
        if (WaitForSingleObject(s->reader, 2000) == WAIT_TIMEOUT) {
            CancelSynchronousIo(s->reader);
            if (WaitForSingleObject(s->reader, 1000) == WAIT_TIMEOUT) {
                // The thread still reads into this state: leave it to it.
                state_.release();
                return;
            }
        }
        CloseHandle(s->reader);
    }
    if (s->output) CloseHandle(s->output);
    if (s->process) CloseHandle(s->process);
    CloseHandle(s->dataEvent);
}

bool ChildProcess::Start(const ProcessStart& start, std::string& error) {
    State& s = *state_;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        error = "cannot make a pipe: " + ErrorText(GetLastError());
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);

    for (const auto& set : start.environment) SetEnvironmentVariableA(set.first.c_str(), set.second.c_str());
    std::string line = start.bareCommandLine ? "" : Quoted(start.program);
    for (const std::string& argument : start.arguments) line += " " + Quoted(argument);
    std::vector<char> commandLine(line.begin(), line.end());  // CreateProcessA may write into it
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_SHOW;
    startup.hStdInput = nothing != INVALID_HANDLE_VALUE ? nothing : nullptr;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(start.program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        NORMAL_PRIORITY_CLASS | CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, nullptr,
                                        start.folder.c_str(), &startup, &process);
    const DWORD startError = GetLastError();
    CloseHandle(writeEnd);  // from now on the child holds the only write end
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!started) {
        CloseHandle(readEnd);
        error = "cannot start " + start.program + ": " + ErrorText(startError);
        return false;
    }

    s.job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    s.tied = s.job && SetInformationJobObject(s.job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
             AssignProcessToJobObject(s.job, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    s.process = process.hProcess;
    s.id = process.dwProcessId;
    s.output = readEnd;
    s.reader = CreateThread(nullptr, 0, State::ReadOutput, &s, 0, nullptr);
    if (!s.reader) {
        // Nobody would read the pipe and the server would block on it.
        error = "cannot start a thread to read the server's output: " + ErrorText(GetLastError());
        Kill();
        WaitForSingleObject(s.process, INFINITE);
        s.ended = true;
        return false;
    }
    return true;
}

unsigned long ChildProcess::Id() const { return state_->id; }

bool ChildProcess::TiedToThisProcess() const { return state_->tied; }

WaitResult ChildProcess::Wait(long timeoutMs, const OutputSink& sink, bool untilStopRequest,
                              unsigned stopRequestsSeen) {
    State& s = *state_;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        s.Deliver(sink);
        if (s.ended) return WaitResult::Ended;
        if (untilStopRequest && StopRequestCount() > stopRequestsSeen) return WaitResult::StopRequested;
        DWORD wait = INFINITE;
        if (timeoutMs >= 0) {
            const ULONGLONG now = GetTickCount64();
            wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        HANDLE handles[3] = {s.process, s.dataEvent, StopEvent()};
        const DWORD which = WaitForMultipleObjects(untilStopRequest ? 3 : 2, handles, FALSE, wait);
        if (which == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(s.process, &code);
            s.end.code = code;
            // What the server left running goes with it; then the pipe has no
            // writer left and the reader sees its end.
            if (s.tied) TerminateJobObject(s.job, 1);
            if (WaitForSingleObject(s.reader, 2000) == WAIT_TIMEOUT) CancelSynchronousIo(s.reader);
            WaitForSingleObject(s.reader, 1000);
            s.ended = true;
            continue;  // hands over the rest
        }
        if (which == WAIT_OBJECT_0 + 1) continue;
        if (which == WAIT_OBJECT_0 + 2) continue;  // the count, read above, tells
        if (which == WAIT_TIMEOUT) {
            s.Deliver(sink);
            return WaitResult::TimedOut;
        }
        Sleep(10);  // WAIT_FAILED: should not happen; do not spin
    }
}

void ChildProcess::AskToStop() {
    State& s = *state_;
    if (!s.process || s.ended) return;
    // A console server: Ctrl+Break, the one console event a new process
    // group receives (Ctrl+C is switched off in it).
    GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, s.id);
    if (HANDLE named = OpenEventA(EVENT_MODIFY_STATE, FALSE, NamedStopEvent(s.id).c_str())) {
        SetEvent(named);
        CloseHandle(named);
    }
    // A windowed server: WM_CLOSE, as its close box would send, to the
    // top-level windows of every process in the job (a launcher's child too).
    WindowSearch search;
    search.processes.push_back(s.id);
    if (s.tied) {
        std::vector<char> list(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + 255 * sizeof(ULONG_PTR));
        auto* ids = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(list.data());
        if (QueryInformationJobObject(s.job, JobObjectBasicProcessIdList, ids, static_cast<DWORD>(list.size()),
                                      nullptr) ||
            GetLastError() == ERROR_MORE_DATA) {
            for (DWORD i = 0; i < ids->NumberOfProcessIdsInList; ++i)
                search.processes.push_back(static_cast<DWORD>(ids->ProcessIdList[i]));
        }
    }
    EnumWindows(CloseWindowOf, reinterpret_cast<LPARAM>(&search));
}

void ChildProcess::Kill() {
    State& s = *state_;
    if (!s.process || s.ended) return;
    if (s.tied) TerminateJobObject(s.job, 1);
    TerminateProcess(s.process, 1);
}

ProcessEnd ChildProcess::End() const { return state_->end; }

void CatchStopRequests() {
    StopEvent();
    HandledEvent();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    static const bool watched = [] {
        HANDLE named = CreateEventA(nullptr, FALSE, FALSE, NamedStopEvent(GetCurrentProcessId()).c_str());
        // One made before this process by another is not ours to obey.
        if (named != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(named);
            return false;
        }
        return named != nullptr && CreateThread(nullptr, 0, WatchNamedStopEvent, named, 0, nullptr) != nullptr;
    }();
    (void)watched;
}

bool StopRequested() { return StopRequestCount() != 0; }

unsigned StopRequestCount() { return static_cast<unsigned>(InterlockedCompareExchange(&g_stopCount, 0, 0)); }

std::string StopRequestName() { return EventName(g_stopType); }

std::string LatestStopRequestName() { return EventName(g_latestType); }

bool SleepUnlessStopRequested(long ms, unsigned stopRequestsSeen) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    for (;;) {
        if (StopRequestCount() > stopRequestsSeen) return false;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return true;
        WaitForSingleObject(StopEvent(), static_cast<DWORD>(deadline - now));
    }
}

void StopRequestHandled() { SetEvent(HandledEvent()); }

const char* WindowsProgramLauncher() { return ""; }

bool FindProgram(const std::string& name, std::string& path) {
    if (name.empty()) return false;
    char found[MAX_PATH] = "";
    if (name.find_first_of("\\/:") != std::string::npos) {
        const DWORD n = GetFullPathNameA(name.c_str(), sizeof found, found, nullptr);
        if (n == 0 || n >= sizeof found) return false;
        const DWORD attributes = GetFileAttributesA(found);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        path = found;
        return true;
    }
    const DWORD n = SearchPathA(nullptr, name.c_str(), ".exe", sizeof found, found, nullptr);
    if (n == 0 || n >= sizeof found) return false;
    path = found;
    return true;
}

}  // namespace platform
