// Stands in for vantrel_server.exe in the tests of `servolt-cli run`: a
// console program, built natively and for Windows, whose behaviour is chosen
// by the words after "+exec server.cfg":
//
//   exit=N        end with code N (default 0)
//   after=S       ... after S seconds (default at once)
//   fail-times=K  end with the exit= code on the first K starts in this
//                 folder (counted in runs.txt), with 0 from then on
//   hang          run until asked to stop or ended by force
//   crash         end as a crash does (SIGSEGV; an access violation)
//   print=N       print N numbered lines on standard output first
//   width=W       ... each padded to W characters
//   stderr        print one line on standard error too
//   ignore-stop   take no notice of the polite stop
//   deaf          (POSIX) ignore SIGINT, SIGTERM, SIGHUP and SIGPIPE, as a
//                 Wine process may: only SIGKILL ends it
//   pace=MS       wait MS milliseconds after each printed line
//   window        (Windows) own a hidden top-level window that WM_CLOSE ends
//
// FAKE_SERVER_WORDS in its environment adds words after these, blank
// separated: for a server started where no words can be added (the runs
// that serve starts).
// It says how it was started on its first line: "fake: started pid N ..."
// with its arguments (each in brackets; on Windows the command line byte for byte), its folder
// and WINEPREFIX. While it runs it appends a dot to alive.txt in its folder
// every 50 ms, so a test can tell that it is gone even under Wine, where its
// process id means nothing to the host. Asked to stop, it prints
// "fake: asked to stop" and ends with code 0.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

volatile int g_stopAsked = 0;

#if defined(_WIN32)
bool g_ignoreStop = false;

BOOL WINAPI OnConsoleEvent(DWORD) {
    if (!g_ignoreStop) g_stopAsked = 1;
    return TRUE;  // handled, either way: the default handler would end the process
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        if (!g_ignoreStop) g_stopAsked = 1;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LONG WINAPI EndAsCrashed(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

void SleepMs(int ms) {
    // Pumps messages so that a posted WM_CLOSE arrives.
    const DWORD until = GetTickCount() + static_cast<DWORD>(ms);
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        const DWORD now = GetTickCount();
        if (static_cast<long>(until - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

std::string Folder() {
    char folder[4096] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }
#else
void OnSignal(int) { g_stopAsked = 1; }

void SleepMs(int ms) {
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);  // a signal cuts it short, which is what the loop wants
}

std::string Folder() {
    char folder[4096] = "";
    return getcwd(folder, sizeof folder) ? folder : "";
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
#endif

void Say(FILE* stream, const std::string& line) {
    std::fputs((line + "\n").c_str(), stream);
    std::fflush(stream);
}

void AppendTo(const char* name, const char* text) {
    if (FILE* file = std::fopen(name, "ab")) {
        std::fputs(text, file);
        std::fclose(file);
    }
}

int CountLines(const char* name) {
    int count = 0;
    if (FILE* file = std::fopen(name, "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) count += c == '\n';
        std::fclose(file);
    }
    return count;
}

[[noreturn]] void Crash() {
#if defined(_WIN32)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndAsCrashed);
    *static_cast<volatile int*>(nullptr) = 1;
#else
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);  // no core file in the game folder
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
#endif
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    double after = 0;
    int failTimes = -1;
    bool hang = false, crash = false, toStderr = false, window = false, ignoreStop = false, deaf = false;
    int lines = 0, width = 0, pace = 0;
    std::string args;
    std::vector<std::string> words(argv + 1, argv + argc);
    if (const char* more = std::getenv("FAKE_SERVER_WORDS")) {
        for (const char* at = more; *at != '\0';) {
            const char* end = std::strchr(at, ' ');
            if (end == nullptr) end = at + std::strlen(at);
            if (end > at) words.emplace_back(at, end);
            at = *end != '\0' ? end + 1 : end;
        }
    }
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& word = words[k];
        const std::size_t i = k + 1;
        args += (i > 1 ? "] [" : "[") + word + (k + 1 == words.size() ? "]" : "");
        const auto value = [&](const char* key) -> const char* {
            const std::size_t n = std::strlen(key);
            return word.compare(0, n, key) == 0 ? word.c_str() + n : nullptr;
        };
        if (const char* v = value("exit=")) exitCode = std::atoi(v);
        else if (const char* v = value("after=")) after = std::atof(v);
        else if (const char* v = value("fail-times=")) failTimes = std::atoi(v);
        else if (const char* v = value("print=")) lines = std::atoi(v);
        else if (const char* v = value("width=")) width = std::atoi(v);
        else if (word == "hang") hang = true;
        else if (word == "crash") crash = true;
        else if (word == "stderr") toStderr = true;
        else if (word == "ignore-stop") ignoreStop = true;
        else if (word == "deaf") ignoreStop = deaf = true;
        else if (const char* v = value("pace=")) pace = std::atoi(v);
        else if (word == "window") window = true;
    }

#if defined(_WIN32)
    (void)deaf;
    const std::string started = std::string("command line [") + GetCommandLineA() + "]";
    g_ignoreStop = ignoreStop;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    if (window) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FakeConsoleServer";
        RegisterClassA(&windowClass);
        CreateWindowA("FakeConsoleServer", "fake server", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                      nullptr, windowClass.hInstance, nullptr);
    }
#else
    const std::string started = "args " + args;
    struct sigaction action = {};
    action.sa_handler = ignoreStop ? SIG_IGN : OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    if (deaf) {
        std::signal(SIGHUP, SIG_IGN);
        std::signal(SIGPIPE, SIG_IGN);
    }
    (void)window;
#endif
    const char* prefix = std::getenv("WINEPREFIX");
    Say(stdout, "fake: started pid " + std::to_string(ProcessId()) + " " + started + " folder [" + Folder() +
                    "] WINEPREFIX [" + (prefix ? prefix : "(unset)") + "]");
    AppendTo("runs.txt", "run\n");
    if (failTimes >= 0 && CountLines("runs.txt") > failTimes) exitCode = 0;

    for (int i = 1; i <= lines; ++i) {
        std::string line = "fake: line " + std::to_string(i) + " of " + std::to_string(lines);
        if (static_cast<int>(line.size()) < width) line.append(width - line.size(), '.');
        Say(stdout, line);
        if (pace > 0) SleepMs(pace);
    }
    if (toStderr) Say(stderr, "fake: on standard error");
    if (crash) Crash();

    // after= and hang: wait in short steps, minding the polite stop.
    for (long waited = 0; hang || waited < after * 1000; waited += 50) {
        if (g_stopAsked) {
            Say(stdout, "fake: asked to stop");
            return 0;
        }
        AppendTo("alive.txt", ".");
        SleepMs(50);
    }
    Say(stdout, "fake: ending with code " + std::to_string(exitCode));
    return exitCode;
}
