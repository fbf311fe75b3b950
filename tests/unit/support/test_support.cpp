#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/settings/settings_file.h"
#include "core/common/user_folder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {
// No test may ever leave a dialog waiting: until a test installs its own
// recorder, boxes are answered at once and fail the test.
class NoDialogs : public ::testing::Environment {
public:
    void SetUp() override { InstallDefault(); }
    static void InstallDefault() {
        platform::SetMessageBoxHook([](platform::BoxOwner, const std::string& text, const std::string& caption,
                                       unsigned) {
            ADD_FAILURE() << "unexpected message box: [" << caption << "] " << text;
            return 1;
        });
    }
};
::testing::Environment* const g_noDialogs = ::testing::AddGlobalTestEnvironment(new NoDialogs);
int g_folderCounter = 0;
}  // namespace

std::string MakeTempFolder() {
#if defined(_WIN32)
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (;;) {
        std::string folder = std::string(base) + "servolt-core-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++g_folderCounter);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
#else
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/servolt-core-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ++g_folderCounter;
    return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
#endif
}

void RemoveTree(const std::string& folder) {
    if (folder.empty()) return;
    std::vector<platform::FoundEntry> entries;
    platform::FindEntries((folder + "\\*").c_str(), [&](const platform::FoundEntry& e) { entries.push_back(e); });
    for (const platform::FoundEntry& entry : entries) {
        if (entry.name == "." || entry.name == "..") continue;
        std::string path = folder + "\\" + entry.name;
        if (entry.isFolder) RemoveTree(path);
        else platform::RemoveFile(path.c_str());
    }
#if defined(_WIN32)
    RemoveDirectoryA(folder.c_str());
#else
    rmdir(platform::HostPath(folder.c_str()).c_str());
#endif
}

std::string ReadBytes(const std::string& path) {
    std::string data;
    platform::ReadFileContents(path.c_str(), data);
    return data;
}

bool FileExists(const std::string& path) { return platform::PathExists(path.c_str()); }

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(platform::HostPath(path.c_str()).c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
}

std::string TestDataPath(const std::string& relative) {
    const char* source = std::getenv("SERVOLT_SOURCE_DIR");
    std::string folder;
    if (source && *source) {
        folder = std::string(source) + "/tests/unit";
    } else {
        folder = __FILE__;  // support/ lies in tests/unit
        folder = folder.substr(0, folder.find_last_of("/\\")) + "/..";
    }
#if defined(_WIN32)
    if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;  // Wine's view of the host
#endif
    return folder + "/" + relative;
}

std::string GoldenPath(const std::string& name) { return TestDataPath("servercfg/golden/" + name); }

std::string ReadGolden(const std::string& name) {
    std::string data;
    if (!platform::ReadFileContents(GoldenPath(name).c_str(), data)) {
        ADD_FAILURE() << "missing golden file " << GoldenPath(name);
    }
    return data;
}

void CoreTest::SetUp() {
    root_ = MakeTempFolder();
    ASSERT_FALSE(root_.empty());
    documents_ = root_ + "\\Documents";
    ASSERT_TRUE(platform::CreateFolder(documents_.c_str()));
    platform::SetDocumentsFolderForTests(documents_.c_str());
    context_.places = PlacesInDocuments(documents_, root_);
    CreateUserFolders(context_.places.userFolder);
    notices_.clear();
    context_.notices = [this](const Notice& notice) {
        notices_.push_back(notice);
        return 1;
    };
    settings_->SetDefaults();
}

void CoreTest::TearDown() {
    platform::FailFileWriteForTests(0);
    NoDialogs::InstallDefault();
    platform::SetDocumentsFolderForTests(nullptr);
    RemoveTree(root_);
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'r') out += '\r';
        else if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == 'x' && i + 2 < text.size() + 0) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += c;
    }
    return out;
}

namespace {
bool SetFromCase(char (&field)[kSettingsTextSize], const std::string& value) {
    const std::string text = Unescape(value);
    if (text.size() >= kSettingsTextSize) return false;
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
}
bool SetFromCase(std::int32_t& field, const std::string& value) {
    field = static_cast<std::int32_t>(std::strtoll(value.c_str(), nullptr, 10));
    return true;
}
bool SetFromCase(float& field, const std::string& value) {
    field = std::strtof(value.c_str(), nullptr);
    return true;
}
bool SetFromCase(bool& field, const std::string& value) {
    field = value == "1";
    return true;
}
}  // namespace

bool SetField(ServerSettings& settings, const std::string& name, const std::string& value) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (name != keys[i].key) continue;
        return VisitField(settings, keys[i].field, [&](auto& field) { return SetFromCase(field, value); });
    }
    return false;
}

namespace {
std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) break;
        parts.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}
}  // namespace

std::string ExpectedServerConfig(const std::string& caseName) {
    const std::vector<std::string> base = Split(ReadGolden("default.cfg"), "\r\n");
    if (caseName == "default") return ReadGolden("default.cfg");
    std::vector<std::string> out;
    std::size_t next = 0;  // first line of base not yet taken
    bool inCase = false, found = false;
    for (const std::string& line : Split(ReadGolden("cases.cfgdiff"), "\n")) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inCase = line == "[" + caseName + "]";
            found = found || inCase;
            continue;
        }
        if (!inCase) continue;
        if (line[0] == '@') {
            std::size_t first = 0, count = 0;
            if (std::sscanf(line.c_str(), "@ %zu %zu", &first, &count) != 2 || first == 0 || first - 1 < next ||
                first - 1 + count > base.size()) {
                ADD_FAILURE() << caseName << ": bad hunk " << line;
                return std::string();
            }
            out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(next),
                       base.begin() + static_cast<std::ptrdiff_t>(first - 1));
            next = first - 1 + count;
        } else if (line[0] == '+') {
            out.push_back(line.substr(1));
        }
    }
    if (!found) return std::string();
    out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(next), base.end());
    std::string bytes;
    for (std::size_t i = 0; i < out.size(); ++i) bytes += (i ? "\r\n" : "") + out[i];
    return bytes;
}

std::vector<GoldenCase> ReadGoldenCases() {
    std::vector<GoldenCase> cases;
    std::string text = ReadGolden("cases.txt");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            cases.push_back(GoldenCase{line.substr(1, line.find(']') - 1), {}});
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || cases.empty()) continue;
        cases.back().overrides.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return cases;
}
