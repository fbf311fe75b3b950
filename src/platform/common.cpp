// The parts of the platform layer that both implementations share: the
// message-box hook, the test hooks and what is built on ReplacingFile.
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/common.h"

#include <atomic>
#include <chrono>
#include <string>

namespace platform {
namespace {
MessageBoxHook g_boxHook;
bool g_documentsOverridden = false;
bool g_documentsKnown = true;
std::string g_documentsFolder;
int g_failWriteCountdown = 0;
int g_failCreateCountdown = 0;
std::atomic<std::uint64_t> g_temporaryCounter{0};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { g_boxHook = std::move(hook); }

int ShowMessageBox(BoxOwner owner, const char* text, const char* caption, unsigned style) {
    if (g_boxHook) return g_boxHook(owner, text ? text : "", caption ? caption : "", style);
    return detail::ShowSystemMessageBox(owner, text ? text : "", caption ? caption : "", style);
}

void SetDocumentsFolderForTests(const char* folder) {
    g_documentsOverridden = folder != nullptr;
    g_documentsKnown = true;
    g_documentsFolder = folder ? folder : "";
}

void SetDocumentsFolderUnknownForTests() {
    g_documentsOverridden = true;
    g_documentsKnown = false;
    g_documentsFolder.clear();
}

bool QueryDocumentsFolder(std::string& folder) {
    folder.clear();
    if (g_documentsOverridden) {
        if (!g_documentsKnown) return false;
        folder = g_documentsFolder;
        return true;
    }
    return detail::QuerySystemDocumentsFolder(folder);
}

void FailFileWriteForTests(int n) { g_failWriteCountdown = n > 0 ? n : 0; }
void FailTemporaryFileForTests(int n) { g_failCreateCountdown = n > 0 ? n : 0; }

namespace detail {
bool InjectedCreateFailure() {
    if (g_failCreateCountdown <= 0) return false;
    return --g_failCreateCountdown == 0;
}

std::string TemporaryPathFor(const std::string& target, std::size_t fullLength, std::size_t longest,
                             std::uint64_t seed) {
    std::size_t cut = target.size();
    while (cut > 0 && !IsSeparator(target[cut - 1])) --cut;
    const std::size_t finalLength = target.size() - cut;
    // Another process may pick names at the same moment: the counter keeps
    // this one's apart, the seed (its id and the clock) the processes'.
    std::uint64_t value = seed ^ (++g_temporaryCounter * 0x9E3779B97F4A7C15ull) ^
                          std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    value ^= value >> 29;
    static const char kHex[] = "0123456789abcdef";
    std::string name = "~sv";
    for (int i = 0; i < 5; ++i, value >>= 4) name += kHex[value & 15];
    name += ".tmp";
    // Near the limit, a name no longer than the target's, which fits
    // wherever the target does.
    if (fullLength + name.size() > longest + finalLength && finalLength < name.size()) {
        name.assign(finalLength > 1 ? "~" : "");
        while (name.size() < finalLength) {
            name += kHex[value & 15];
            value = (value >> 4) | (value << 60);
        }
    }
    return target.substr(0, cut) + name;
}

bool InjectedWriteFailure() {
    if (g_failWriteCountdown <= 0) return false;
    return --g_failWriteCountdown == 0;
}
}  // namespace detail

bool WriteNewFile(const char* path, const void* data, std::size_t size, bool replace) {
    ReplacingFile file;
    return file.Open(path) && file.Write(data, size) && file.Commit(replace);
}

bool ReplaceFileContents(const char* path, const void* data, std::size_t size) {
    ReplacingFile file;
    // The small files of the settings are failed block by block in the tests.
    detail::ReplacingFileAccess::SetBlockSize(file, ReplaceWriteBlockSize);
    return file.Open(path) && file.Write(data, size) && file.Commit(true);
}

std::string Error::Describe() const { return path.empty() ? text : path + ": " + text; }

Error LastError(const std::string& path) {
    Error error = detail::LastSystemError();
    while (!error.text.empty() && (error.text.back() == '\n' || error.text.back() == '\r' ||
                                   error.text.back() == ' ' || error.text.back() == '.'))
        error.text.pop_back();
    if (error.text.empty()) error.text = "error " + std::to_string(error.code);
    if (!path.empty()) error.path = path;
    return error;
}

}  // namespace platform
