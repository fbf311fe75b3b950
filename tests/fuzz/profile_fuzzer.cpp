// Any bytes as a settings file, read and written through the POSIX profile
// functions the same way twice: call by call (each write reaches the file,
// each call reads it again) and inside one ProfileSession (read once, kept
// in memory, written once). Both must read the same values, succeed alike
// and leave the same bytes; the sanitizers report the rest. The first three
// lines of the input are also used as a section, key and value to write,
// so that names with brackets, equals signs, blanks and quotes are tried.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/platform.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string TempPath(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/servolt-fuzz-" + std::to_string(getpid()) + "-" + name;
}

struct Call {
    const char* section;
    const char* key;
    const char* value;  // a write when `write`
    bool write;
};

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr);
    if (size > 0) Require(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    platform::ReadFileContents(path.c_str(), bytes);
    return bytes;
}

std::vector<std::string> Run(const std::string& path, const std::vector<Call>& calls, bool session) {
    std::vector<std::string> results;
    {
        platform::ProfileSession batch(session ? path.c_str() : nullptr);
        for (const Call& call : calls) {
            if (call.write) {
                results.push_back(
                    platform::WriteProfileString(call.section, call.key, call.value, path.c_str()) ? "ok" : "failed");
            } else {
                char buffer[64];
                const unsigned long length =
                    platform::ReadProfileString(call.section, call.key, "-", buffer, sizeof buffer, path.c_str());
                Require(length < sizeof buffer && buffer[length] == '\0');
                results.emplace_back(buffer, length);
            }
        }
        Require(batch.Commit());
    }
    results.push_back(ReadFile(path));
    return results;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string first = TempPath("calls.ini"), second = TempPath("session.ini");
    std::string lines[3];
    std::size_t at = 0;
    for (std::string& line : lines) {
        while (at < size && data[at] != '\n' && line.size() < 40) {
            if (data[at] != '\0') line += static_cast<char>(data[at]);
            ++at;
        }
        ++at;
    }
    const std::vector<Call> calls = {
        {"Basic", "ServerName", nullptr, false},
        {"Basic", "GameType", "5", true},
        {"Basic", "ServerName", "  padded  ", true},
        {"Basic", "ServerName", nullptr, false},
        {lines[0].c_str(), lines[1].c_str(), lines[2].c_str(), true},
        {lines[0].c_str(), lines[1].c_str(), nullptr, false},
        {"Basic", "MaxPlayers", nullptr, true},
        {"Team", nullptr, nullptr, true},
        {"New", "key", "value", true},
        {lines[0].c_str(), lines[1].c_str(), nullptr, false},
        {"Basic", "GameType", nullptr, false},
    };
    WriteFile(first, data, size);
    WriteFile(second, data, size);
    Require(Run(first, calls, false) == Run(second, calls, true));
    return 0;
}
