#include "core/supervise/run_log.h"

#include <cstdio>

namespace {

std::string RotatedName(const std::string& path, int n) { return path + "." + std::to_string(n); }

}  // namespace

bool RunLog::Open(const std::string& path, std::uint64_t maxSize) {
    path_ = path;
    maxSize_ = maxSize;
    // A supervisor that was killed may have left the file in the middle of a
    // line: the next dated line starts a new one. (Read before the file is
    // opened for appending, which a Windows reader would have to share.)
    atLineStart_ = true;
    lastWasCr_ = false;
    {
        platform::ReadOnlyFile existing;
        char last = '\n';
        std::size_t got = 0;
        if (existing.Open(path.c_str()) && existing.Size() > 0 && existing.Seek(existing.Size() - 1) &&
            existing.Read(&last, 1, got) && got == 1) {
            atLineStart_ = last == '\n';
            lastWasCr_ = last == '\r';
        }
    }
    if (!file_.Open(path.c_str())) {
        Fail("cannot open it");
        return false;
    }
    size_ = file_.Size();
    return true;
}

bool RunLog::WriteOutput(const char* data, std::size_t size) {
    if (size == 0) return true;
    std::string bytes;
    bytes.reserve(size + size / 8);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' && !lastWasCr_) bytes += '\r';
        bytes += c;
        lastWasCr_ = c == '\r';
    }
    atLineStart_ = data[size - 1] == '\n';
    return Append(bytes);
}

bool RunLog::WriteLine(const std::string& text) {
    std::string bytes = atLineStart_ ? "" : "\r\n";
    bytes += text;
    bytes += "\r\n";
    atLineStart_ = true;
    lastWasCr_ = false;
    return Append(bytes);
}

bool RunLog::Append(const std::string& bytes) {
    if (!file_.IsOpen() && !file_.Open(path_.c_str())) {
        Fail("cannot open it again");
        return false;
    }
    // No file grows past the limit: what does not fit goes to the next one,
    // cut after its last whole line that fits (mid-line only when not even
    // one line fits an empty file).
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t take = bytes.size() - from;
        if (size_ + take > maxSize_) {
            const std::size_t room = size_ < maxSize_ ? static_cast<std::size_t>(maxSize_ - size_) : 0;
            const std::size_t lineEnd = room == 0 ? std::string::npos : bytes.rfind('\n', from + room - 1);
            take = lineEnd != std::string::npos && lineEnd >= from ? lineEnd + 1 - from : size_ == 0 ? room : 0;
            if (take == 0) {
                if (!Rotate()) {
                    take = bytes.size() - from;  // it cannot be rotated: the file grows instead
                } else {
                    size_ = 0;
                    continue;
                }
            }
        }
        if (!file_.Write(bytes.data() + from, take)) {
            Fail("cannot append to it");
            return false;
        }
        size_ += take;
        from += take;
    }
    return true;
}

bool RunLog::Rotate() {
    file_.Close();
    // Oldest first, so no name is taken while it still holds a newer file;
    // moving over FILE.5 drops the oldest. A missing FILE.n is no failure.
    for (int n = kRunLogKeep - 1; n >= 1; --n) {
        const std::string from = RotatedName(path_, n);
        const std::string to = RotatedName(path_, n + 1);
        if (platform::PathExists(from.c_str())) platform::MoveFileReplacing(from.c_str(), to.c_str());
    }
    const bool moved = platform::MoveFileReplacing(path_.c_str(), RotatedName(path_, 1).c_str());
    if (!moved) Fail("cannot rename it to " + RotatedName(path_, 1));
    if (!file_.Open(path_.c_str())) {
        Fail("cannot open it again");
        return false;
    }
    if (moved) failure_.clear();
    return moved;
}

void RunLog::Fail(const std::string& what) {
    const unsigned long code = platform::LastErrorCode();
    std::string reason = platform::SystemErrorText(code);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    failure_ = what + " (error " + std::to_string(code) + (reason.empty() ? "" : ": " + reason) + ")";
}

std::string FormatLogTime(std::time_t when) {
    char text[32] = "";
    const std::tm* local = std::localtime(&when);
    // Without a local time the line keeps its shape.
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0)
        return "0000-00-00 00:00:00";
    return text;
}

std::string FormatRunTime(std::int64_t ms) {
    if (ms < 0) ms = 0;
    char text[48];
    if (ms < 60 * 1000) {
        std::snprintf(text, sizeof text, "%lld.%lld s", static_cast<long long>(ms / 1000),
                      static_cast<long long>(ms % 1000 / 100));
    } else if (ms < 3600 * 1000) {
        std::snprintf(text, sizeof text, "%lld min %02lld s", static_cast<long long>(ms / 60000),
                      static_cast<long long>(ms / 1000 % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld h %02lld min", static_cast<long long>(ms / 3600000),
                      static_cast<long long>(ms / 60000 % 60));
    }
    return text;
}
