#include "web/server_log.h"

#include <algorithm>
#include <cstdio>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/supervise/run_log.h"
#include "platform/platform.h"

namespace {

// A log opened for one answer. Opened with the C library, as `logs` opens
// it: on Windows it shares writing, which the supervisor is doing.
class LogFile {
public:
    explicit LogFile(const std::string& path) {
        const std::string host = platform::HostPath(path.c_str());
#if defined(_WIN32)
        file_ = std::fopen(host.c_str(), "rb");
#else
        // Not blocking, and regular files only: a log named by a status file
        // that is a FIFO must not hold the one thread of the site.
        const int fd = open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return;
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (file_ = fdopen(fd, "rb")) == nullptr) close(fd);
#endif
    }
    ~LogFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

    std::uint64_t Size() {
        if (file_ == nullptr || !Seek(0, SEEK_END)) return 0;
#if defined(_WIN32)
        const long long at = _ftelli64(file_);
#else
        const long long at = ftello(file_);
#endif
        return at > 0 ? static_cast<std::uint64_t>(at) : 0;
    }

    // The bytes [from, to), fewer when the file is shorter.
    std::string Read(std::uint64_t from, std::uint64_t to) {
        std::string bytes;
        if (file_ == nullptr || to <= from || !Seek(static_cast<long long>(from), SEEK_SET)) return bytes;
        bytes.resize(static_cast<std::size_t>(to - from));
        bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file_));
        return bytes;
    }

private:
    bool Seek(long long offset, int whence) {
#if defined(_WIN32)
        return _fseeki64(file_, offset, whence) == 0;
#else
        return fseeko(file_, static_cast<off_t>(offset), whence) == 0;
#endif
    }

    std::FILE* file_ = nullptr;
};

std::string WithoutLineEnd(const std::string& bytes, std::size_t from, std::size_t to) {
    if (to > from && bytes[to - 1] == '\r') --to;
    return bytes.substr(from, to - from);
}

// The last lines of one file, read within `budget` bytes from its end, put
// before `lines`. `whole`: the file is closed (a rotated one), so that its
// last line counts even without a line end. Returns the offset after the
// last whole line; `complete` is set when the file's first line was reached.
std::uint64_t PrependTail(LogFile& file, std::size_t maxLines, std::size_t& budget, bool whole,
                          std::vector<std::string>& lines, bool& complete, bool& cut) {
    const std::uint64_t size = file.Size();
    const std::uint64_t from = size > budget ? size - budget : 0;
    // One byte more, to see whether `from` starts a line.
    const std::uint64_t readFrom = from > 0 ? from - 1 : 0;
    const std::string bytes = file.Read(readFrom, size);
    budget -= static_cast<std::size_t>(std::min<std::uint64_t>(budget, size - from));
    std::size_t start = from > 0 ? 1 : 0;
    bool startsInside = from > 0 && !bytes.empty() && bytes[0] != '\n';
    complete = from == 0;
    std::size_t end = bytes.rfind('\n');
    end = end == std::string::npos || end < start ? start : end + 1;
    const std::uint64_t next = readFrom + end;
    if (whole) end = bytes.size();
    if (startsInside) {
        const std::size_t first = bytes.find('\n', start);
        if (first == std::string::npos || first + 1 >= end) {
            // The window holds the end of one line only: that end, cut.
            if (end > start && lines.size() < maxLines) {
                const std::size_t to = end == bytes.size() && bytes.back() != '\n' ? end : end - 1;
                lines.insert(lines.begin(), WithoutLineEnd(bytes, start, to));
                cut = true;
            }
            return next;
        }
        start = first + 1;
    }
    std::vector<std::string> found;
    for (std::size_t at = start; at < end;) {
        std::size_t stop = bytes.find('\n', at);
        if (stop == std::string::npos || stop >= end) stop = end;
        found.push_back(WithoutLineEnd(bytes, at, stop));
        at = stop + 1;
    }
    const std::size_t room = maxLines - std::min(maxLines, lines.size());
    if (found.size() > room) {
        found.erase(found.begin(), found.end() - static_cast<std::ptrdiff_t>(room));
        complete = true;  // as many as were asked for: nothing before them is wanted
    }
    lines.insert(lines.begin(), found.begin(), found.end());
    return next;
}

}  // namespace

LogPiece ReadLogTail(const std::string& path, std::size_t maxLines, std::size_t window) {
    LogPiece piece;
    std::size_t budget = window;
    bool complete = false;
    bool cut = false;
    {
        LogFile file(path);
        if (!file.IsOpen()) return piece;
        piece.next = PrependTail(file, maxLines, budget, false, piece.lines, complete, cut);
    }
    // A log just rotated holds few lines: those before them are in LOG.1 ...
    for (int n = 1; n <= kRunLogKeep && complete && !cut && piece.lines.size() < maxLines; ++n) {
        LogFile older(path + "." + std::to_string(n));
        if (!older.IsOpen()) break;
        if (budget == 0) {
            complete = false;
            break;
        }
        PrependTail(older, maxLines, budget, true, piece.lines, complete, cut);
    }
    piece.skipped = cut || (!complete && piece.lines.size() < maxLines);
    return piece;
}

LogPiece ReadLogAfter(const std::string& path, std::uint64_t after, std::size_t maxLines, std::size_t window) {
    LogPiece piece;
    piece.next = after;
    LogFile file(path);
    if (!file.IsOpen()) return piece;
    const std::uint64_t size = file.Size();
    if (after > size) {
        after = 0;  // rotated: what followed `after` in the old log is LOG.1's now
        piece.skipped = true;
    }
    const std::uint64_t readFrom = after > 0 ? after - 1 : 0;
    const std::string bytes = file.Read(readFrom, std::min<std::uint64_t>(size, after + window));
    std::size_t at = after > 0 ? 1 : 0;
    if (bytes.size() < at) return piece;  // could not be read: asked again later
    if (after > 0 && bytes[0] != '\n') {
        // Inside a line (the rest of one given cut): on from its end.
        const std::size_t end = bytes.find('\n', at);
        piece.skipped = true;
        if (end == std::string::npos) {
            piece.next = readFrom + bytes.size();
            return piece;
        }
        at = end + 1;
    }
    const std::size_t first = at;
    while (piece.lines.size() < maxLines) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) break;
        piece.lines.push_back(WithoutLineEnd(bytes, at, end));
        at = end + 1;
    }
    if (piece.lines.empty() && first == (after > 0 ? 1u : 0u) && bytes.size() - first >= window) {
        // One line longer than the window: its first part, cut.
        piece.lines.push_back(bytes.substr(first));
        piece.skipped = true;
        at = bytes.size();
    }
    piece.next = readFrom + at;
    return piece;
}
