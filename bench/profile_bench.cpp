// Load and save of Servolt.ini (ServerSettings::ReadSettings and
// WriteSettings, all 158 keys through the platform's profile functions) for
// two large files, each beside `cat` reading the file (cat FILE >/dev/null)
// and copying it (cat FILE >COPY):
//   - about 10 MB: the nine sections, each with some 20,000 keys of another
//     program before the 158 keys of the record;
//   - 100,000 sections of another program before the nine.
// Every save changes one value, so the file is really written. Each figure
// is the best of several runs, in elapsed time and, less disturbed by other
// work on a busy machine, in processor time. Prints figures; judges
// nothing.
//
//     profile_bench [MEGABYTES SECTIONS]   other sizes
//     BENCH_RUNS=N                         runs per figure (best counts; 15 by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "core/common/user_folder.h"
#include "core/settings/server_settings.h"
#include "core/settings/settings_file.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const int kRuns = std::getenv("BENCH_RUNS") ? std::max(1, std::atoi(std::getenv("BENCH_RUNS"))) : 15;

using Clock = std::chrono::steady_clock;

// Elapsed and processor milliseconds, each the best seen.
struct Time {
    double elapsed = 1e30, processor = 1e30;
    void Keep(double e, double p) {
        elapsed = std::min(elapsed, e);
        processor = std::min(processor, p);
    }
};

double ProcessorMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

template <typename Work>
void Measure(Time& time, Work work) {
    const Clock::time_point start = Clock::now();
    const double processor = ProcessorMilliseconds();
    work();
    time.Keep(std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
              ProcessorMilliseconds() - processor);
}

// The record's keys of one section, with values of the right kind.
std::string RecordLines(int section) {
    std::string lines;
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (static_cast<int>(keys[i].section) != section) continue;
        lines += keys[i].key;
        static const char* const kValues[] = {"=some text of the operator\r\n", "=42\r\n", "=2.500000\r\n",
                                              "=1\r\n"};  // by kind: text, integer, float, flag
        lines += kValues[static_cast<int>(keys[i].field.kind)];
    }
    return lines;
}

std::string BigFile(std::size_t bytes) {
    std::string file;
    file.reserve(bytes + 65536);
    const std::size_t perSection = bytes / 9;
    for (int section = 0; section < 9; ++section) {
        file += "[" + std::string(SettingsSectionName(section)) + "]\r\n";
        const std::size_t end = file.size() + perSection;
        for (unsigned n = 0; file.size() < end; ++n) {
            file += "OtherProgramKey" + std::to_string(n) + " = a value that some other program keeps here\r\n";
        }
        file += RecordLines(section);
    }
    return file;
}

std::string ManySections(int sections) {
    std::string file;
    for (int n = 0; n < sections; ++n) file += "[OtherProgram" + std::to_string(n) + "]\r\nKey=Value\r\n";
    for (int section = 0; section < 9; ++section) {
        file += "[" + std::string(SettingsSectionName(section)) + "]\r\n" + RecordLines(section);
    }
    return file;
}

// One run of cat with its output sent to `output`.
void TimeCat(Time& time, const std::string& input, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char* argv[] = {const_cast<char*>("cat"), const_cast<char*>(input.c_str()), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    int status = 0;
    struct rusage usage {};
    if (posix_spawnp(&child, "cat", &actions, nullptr, argv, environ) == 0) wait4(child, &status, 0, &usage);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    time.Keep(elapsed, usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
                           usage.ru_stime.tv_usec / 1e3);
    posix_spawn_file_actions_destroy(&actions);
}

void Print(const char* label, double size, const char* what, const Time& ours, const char* reference,
           const Time& cat) {
    std::printf("%s (%.1f MB): %s %8.2f ms, %-19s %6.2f ms, ratio %5.2f;  processor %7.2f / %5.2f ms, ratio %5.2f\n",
                label, size, what, ours.elapsed, reference, cat.elapsed, ours.elapsed / cat.elapsed, ours.processor,
                cat.processor, ours.processor / cat.processor);
}

void MeasureFile(const char* label, const std::string& content, const fs::path& folder, const ServerContext& context) {
    const std::string path = context.places.settingsFile;
    const std::string host = platform::HostPath(path.c_str());
    const std::string copy = (folder / "copy.ini").string();
    std::ofstream(host, std::ios::binary) << content;

    Time load, save, catRead, catCopy;
    ServerSettings settings;
    settings.SetDefaults();
    for (int run = 0; run < kRuns; ++run) {
        TimeCat(catRead, host, "/dev/null");
        TimeCat(catCopy, host, copy);
        Measure(load, [&] { settings.ReadSettings(context.places); });
        settings.GameType = run % 2 ? 1 : 2;  // one changed value: a real write
        Measure(save, [&] { settings.WriteSettings(context); });
    }
    const double size = static_cast<double>(fs::file_size(host)) / (1024.0 * 1024.0);
    Print(label, size, "load", load, "cat FILE >/dev/null", catRead);
    Print(label, size, "save", save, "cat FILE >COPY", catCopy);
    std::printf("    (best of %d runs; target at most 5 for each ratio)\n", kRuns);
}

}  // namespace

int main(int argc, char** argv) {
    // In memory where the host has a tmpfs, so that the figures show the
    // profile functions rather than the disk the machine happens to have.
    std::error_code probe;
    const fs::path base = fs::is_directory("/dev/shm", probe) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("servolt-profile-bench-" +
                                  std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directories(root / "Documents");
    platform::SetDocumentsFolderForTests((root / "Documents").string().c_str());
    ServerContext context;
    context.places = DefaultServerPlaces();
    context.notices = [](const Notice& notice) {
        std::fprintf(stderr, "save failed: %s\n", notice.text.c_str());
        return 1;
    };
    CreateUserFolders(context.places.userFolder);

    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[1], nullptr, 10) : 10;
    const int sections = argc > 2 ? std::atoi(argv[2]) : 100000;
    MeasureFile(("Servolt.ini, " + std::to_string(megabytes) + " MB of keys").c_str(),
                BigFile(megabytes * 1024 * 1024), root, context);
    MeasureFile(("Servolt.ini, " + std::to_string(sections) + " sections").c_str(), ManySections(sections), root, context);

    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
