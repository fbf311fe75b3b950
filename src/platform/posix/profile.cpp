// GetPrivateProfileStringA and WritePrivateProfileStringA for the POSIX
// stand-in, behaving as Wine's do: section and key names match without regard
// to letter case; a value is stored with blanks at both ends dropped and read
// with one pair of enclosing quotes (double or single) removed; the whole
// file is rewritten with CR LF line ends and no blank line between sections.
#include "platform/platform.h"
#include "platform/common.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

struct ProfileEntry {
    std::string name;
    std::string value;
    bool hasValue = false;
};
struct ProfileSection {
    std::string name;
    bool hasHeader = false;  // entries before the first header have none
    std::vector<ProfileEntry> entries;
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Trim(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const char* b) {
    std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<ProfileSection> Parse(const std::string& data) {
    std::vector<ProfileSection> sections(1);
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = Trim(data.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            ProfileSection section;
            section.name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section.hasHeader = true;
            sections.push_back(section);
            continue;
        }
        ProfileEntry entry;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            entry.name = line;
        } else {
            entry.name = Trim(line.substr(0, equals));
            entry.value = Trim(line.substr(equals + 1));
            entry.hasValue = true;
        }
        sections.back().entries.push_back(entry);
    }
    return sections;
}

std::string Serialize(const std::vector<ProfileSection>& sections) {
    std::string out;
    for (const ProfileSection& section : sections) {
        if (section.hasHeader) out += "[" + section.name + "]\r\n";
        for (const ProfileEntry& entry : section.entries) {
            out += entry.name;
            if (entry.hasValue) out += "=" + entry.value;
            out += "\r\n";
        }
    }
    return out;
}

unsigned long CopyOut(const std::string& value, char* buffer, unsigned long size) {
    if (buffer == nullptr || size == 0) return 0;
    std::size_t length = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return static_cast<unsigned long>(length);
}

}  // namespace

unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* path) {
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
    std::string data;
    if (!ReadFileContents(path, data)) {
        SetLastErrorCode(detail::kErrorFileNotFound);
        return CopyOut(fallback, buffer, size);
    }
    for (const ProfileSection& candidate : Parse(data)) {
        if (!candidate.hasHeader || !SameName(candidate.name, section)) continue;
        for (const ProfileEntry& entry : candidate.entries) {
            if (!SameName(entry.name, key)) continue;
            std::string value = entry.value;
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
                value = value.substr(1, value.size() - 2);
            }
            SetLastErrorCode(0);
            return CopyOut(value, buffer, size);
        }
        break;  // only the first section of that name counts
    }
    SetLastErrorCode(detail::kErrorFileNotFound);
    return CopyOut(fallback, buffer, size);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* path) {
    const std::string host = HostPath(path);
    std::string data;
    std::vector<ProfileSection> sections(1);
    if (ReadFileContents(path, data)) sections = Parse(data);

    ProfileSection* target = nullptr;
    for (ProfileSection& candidate : sections) {
        if (candidate.hasHeader && SameName(candidate.name, section)) {
            target = &candidate;
            break;
        }
    }
    if (target == nullptr) {
        ProfileSection added;
        added.name = section;
        added.hasHeader = true;
        sections.push_back(added);
        target = &sections.back();
    }
    ProfileEntry* entry = nullptr;
    for (ProfileEntry& candidate : target->entries) {
        if (SameName(candidate.name, key)) {
            entry = &candidate;
            break;
        }
    }
    if (entry == nullptr) {
        target->entries.push_back(ProfileEntry{key, std::string(), true});
        entry = &target->entries.back();
    }
    entry->value = Trim(value ? value : "");
    entry->hasValue = true;

    const std::string out = Serialize(sections);
    // Rewritten in place and then cut to size: truncating to zero first makes
    // some file systems flush at every close, and this runs once per key.
    int fd = open(host.c_str(), O_WRONLY | O_CREAT, 0666);
    if (fd < 0) {
        int error = errno;
        std::string::size_type slash = host.rfind('/');
        struct stat info;
        bool folderMissing = slash != std::string::npos && slash != 0 &&
                             stat(host.substr(0, slash).c_str(), &info) != 0;
        SetLastErrorCode(folderMissing || error == ENOENT ? detail::kErrorPathNotFound
                         : error == EACCES || error == EROFS || error == EISDIR || error == EPERM
                             ? detail::kErrorAccessDenied
                             : detail::kErrorGenFailure);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < out.size();) {
        ssize_t written = write(fd, out.data() + done, out.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) ok = false;
        else done += static_cast<std::size_t>(written);
    }
    ok = ok && ftruncate(fd, static_cast<off_t>(out.size())) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok) SetLastErrorCode(detail::kErrorDiskFull);
    return ok;
}

}  // namespace platform
