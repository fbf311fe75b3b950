// servolt-cli logs: the last lines of an instance's run log, and with -f
// the new ones as the supervisor appends them, on across a rotation.
//
// The log is read a piece at a time and never held open between looks: on
// Windows an open reader would keep the supervisor from renaming the file
// when it rotates.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/instances/instances.h"
#include "core/supervise/instance_files.h"
#include "core/supervise/run_log.h"
#include "core/supervise/run_status.h"
#include "platform/platform.h"

namespace {

struct LogsOptions {
    std::string name;
    long lines = 10;
    bool follow = false;
};

// A file opened for one look.
class LogFile {
public:
    explicit LogFile(const std::string& path) : file_(std::fopen(ShownPath(path).c_str(), "rb")) {}
    ~LogFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    std::int64_t Size() {
        return file_ != nullptr && Seek(0, SEEK_END) ? Tell() : -1;
    }
    // The bytes [from, to), fewer when the file is shorter.
    std::string Read(std::int64_t from, std::int64_t to) {
        std::string bytes;
        if (file_ == nullptr || to <= from || !Seek(from, SEEK_SET)) return bytes;
        bytes.resize(static_cast<std::size_t>(to - from));
        bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file_));
        return bytes;
    }

private:
    bool Seek(std::int64_t offset, int whence) {
#if defined(_WIN32)
        return _fseeki64(file_, offset, whence) == 0;
#else
        return fseeko(file_, static_cast<off_t>(offset), whence) == 0;
#endif
    }
    std::int64_t Tell() {
#if defined(_WIN32)
        return _ftelli64(file_);
#else
        return static_cast<std::int64_t>(ftello(file_));
#endif
    }
    std::FILE* file_;
};

// The last `count` lines of a file's first `size` bytes (a last line without
// its end counts), read backwards a block at a time; `found` gets how many
// whole lines that is.
std::string LastLines(LogFile& file, std::int64_t size, long count, long& found) {
    constexpr std::int64_t kBlock = 64 * 1024;
    std::string tail;
    found = 0;
    std::int64_t from = size;
    // The line end that closes the file is not the start of a line.
    std::int64_t at = size;
    while (from > 0) {
        const std::int64_t begin = from > kBlock ? from - kBlock : 0;
        tail.insert(0, file.Read(begin, from));
        from = begin;
        for (std::int64_t i = at - 1; i >= from; --i) {
            if (tail[static_cast<std::size_t>(i - from)] != '\n' || i == size - 1) continue;
            if (++found == count) return tail.substr(static_cast<std::size_t>(i + 1 - from));
        }
        at = from;
    }
    if (size > 0) ++found;  // the first line
    return tail;
}

// The log the instance's supervisor writes: the one its status file names
// (run --log), else the instance's own.
std::string LogOf(const std::string& name) {
    const InstanceFiles files = FilesOfInstance(name);
    std::string bytes;
    RunStatus status;
    if (platform::PathExists(files.status.c_str()) && platform::ReadFileContents(files.status.c_str(), bytes) &&
        ParseRunStatus(bytes, status) && !status.log.empty())
        return status.log;
    return files.log;
}

void Print(const std::string& bytes) {
    if (!bytes.empty()) WriteBinaryToStdout(bytes.data(), bytes.size());
}

std::string Rotated(const std::string& path, int n) { return path + "." + std::to_string(n); }

// Where a reader of the log has got to: the offset and the bytes just
// before it, by which the same file is known again after a rotation.
struct Place {
    std::int64_t offset = 0;
    std::string before;  // up to kMark bytes ending at `offset`
};
constexpr std::int64_t kMark = 64;

// Whether `file` is the one read up to `place`, and if so prints what has
// been added since and moves `place` on.
bool ReadOn(LogFile& file, Place& place) {
    const std::int64_t size = file.Size();
    if (size < place.offset) return false;
    const std::int64_t markFrom = place.offset - static_cast<std::int64_t>(place.before.size());
    if (file.Read(markFrom, place.offset) != place.before) return false;
    if (size > place.offset) {
        Print(file.Read(place.offset, size));
        place.before = file.Read(size > kMark ? size - kMark : 0, size);
        place.offset = size;
    }
    return true;
}

int Follow(const std::string& path, Place place) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        {
            LogFile current(path);
            if (current.IsOpen() && ReadOn(current, place)) continue;
        }
        // Rotated: the rest of the file that was read is FILE.1 now (unless
        // it rotated again meanwhile, and then that much is lost to us), and
        // the new FILE is read from its start.
        {
            LogFile previous(Rotated(path, 1));
            if (previous.IsOpen()) ReadOn(previous, place);
        }
        LogFile current(path);
        if (!current.IsOpen()) continue;  // between the rename and the new file
        place = Place();
        ReadOn(current, place);
    }
}

int RunLogsCommand(const LogsOptions& options) {
    if (!IsInstanceName(options.name)) {
        Say("\"" + ShownName(options.name) + "\" is not an instance name (letters, digits, - and _)");
        return kExitFailed;
    }
    const std::string path = LogOf(options.name);
    if (path.empty()) {
        Say("no folder for the instance's log: set HOME");
        return kExitFailed;
    }
    Place place;
    {
        LogFile file(path);
        if (!file.IsOpen()) {
            if (!options.follow) {
                Say("no log at " + ShownPath(path) + " (the instance \"" + options.name + "\" has not been run here)");
                return kExitFailed;
            }
            // Said so that whoever waits on the follower knows that the
            // first line written will be shown.
            Say("no log at " + ShownPath(path) + " yet: waiting for it");
        } else {
            const std::int64_t size = file.Size();
            long found = 0;
            std::string text = options.lines > 0 ? LastLines(file, size, options.lines, found) : std::string();
            // A log just rotated holds few lines: the rest are in FILE.1 ...
            for (int n = 1; n <= kRunLogKeep && options.lines > 0 && found < options.lines; ++n) {
                LogFile older(Rotated(path, n));
                if (!older.IsOpen()) break;
                long more = 0;
                text.insert(0, LastLines(older, older.Size(), options.lines - found, more));
                found += more;
            }
            Print(text);
            place.offset = size;
            place.before = file.Read(size > kMark ? size - kMark : 0, size);
        }
    }
    std::cout.flush();
    return options.follow ? Follow(path, place) : 0;
}

}  // namespace

void AddLogsCommand(CommandSet& commands) {
    const auto options = MakeOptions<LogsOptions>();
    CLI::App* logs = commands.App().add_subcommand("logs", "the last lines of an instance's run log");
    logs->add_option("NAME", options->name, "the instance")->required();
    logs->add_option("-n,--lines", options->lines, "how many lines (default: 10)")
        ->check(CLI::Range(0L, 100000000L));
    logs->add_flag("-f,--follow", options->follow, "then print new lines as they come, until interrupted");
    commands.Add(logs, [options] { return RunLogsCommand(*options); });
}
