#include "core/instances/instances.h"

#include <cctype>

#include "core/common/server_places.h"
#include "platform/host.h"
#include "platform/platform.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A path as far as two spellings of one file can be told alike without
// asking the disk: one kind of separator, no doubled or closing one, and
// letter case only where the file system heeds it.
std::string ComparablePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return platform::FileNamesIgnoreCase() ? Lower(out) : out;
}

std::string ScriptOf(const Instance& instance) {
    return Lower(instance.cfg.empty() ? ServerPlaces::kDefaultConsoleScript : instance.cfg);
}

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

bool IsInstanceName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) && u < 0x80) && c != '-' && c != '_') return false;
    }
    return true;
}

bool SameInstanceName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string DefaultInstancesPath() {
    const std::string folder = platform::UtilityConfigFolder();
    return folder.empty() ? std::string() : folder + "\\instances.ini";
}

bool ReadInstances(const std::string& path, std::vector<Instance>& instances, std::string& error) {
    instances.clear();
    if (platform::PathKind(path.c_str()) == platform::PathType::Missing) return true;
    std::string bytes;
    if (!platform::ReadFileContents(path.c_str(), bytes)) {
        error = path + ": cannot be read: " + platform::LastError().text;
        return false;
    }
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
        const std::string where = path + ": line " + std::to_string(lineNumber) + ": ";
        if (trimmed[0] == '[') {
            const std::string name = trimmed.back() == ']' ? trimmed.substr(1, trimmed.size() - 2) : std::string();
            if (!IsInstanceName(name)) {
                error = where + "\"" + trimmed + "\" is not an instance name (letters, digits, - and _)";
                return false;
            }
            if (FindInstance(instances, name) != nullptr) {
                error = where + "the instance " + name + " is named twice";
                return false;
            }
            instances.push_back(Instance{name, "", "", "", "", {}});
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        if (equals == std::string::npos || instances.empty()) {
            error = where + "expected [NAME] or KEY=VALUE";
            return false;
        }
        Instance& instance = instances.back();
        const std::string key = Trim(trimmed.substr(0, equals));
        const std::string value = Trim(trimmed.substr(equals + 1));
        const std::string lower = Lower(key);
        if (lower == "game") instance.game = value;
        else if (lower == "prefix") instance.prefix = value;
        else if (lower == "ini") instance.ini = value;
        else if (lower == "cfg") {
            // The name goes onto the server's command line.
            if (!value.empty() && !IsConsoleScriptName(value)) {
                error = where + "\"" + value + "\" is not a console script name (a file name ending in .cfg)";
                return false;
            }
            instance.cfg = value;
        } else {
            instance.otherKeys.emplace_back(key, value);
        }
    }
    return true;
}

std::string FormatInstances(const std::vector<Instance>& instances) {
    std::string text;
    const auto put = [&text](const char* key, const std::string& value) {
        if (!value.empty()) text += std::string(key) + "=" + value + "\r\n";
    };
    for (const Instance& instance : instances) {
        text += "[" + instance.name + "]\r\n";
        put("Game", instance.game);
        put("Prefix", instance.prefix);
        put("Ini", instance.ini);
        put("Cfg", instance.cfg);
        for (const auto& other : instance.otherKeys) text += other.first + "=" + other.second + "\r\n";
    }
    return text;
}

bool WriteInstances(const std::string& path, const std::vector<Instance>& instances, std::string& error) {
    // The configuration folder may not exist yet, nor its parent (~/.config
    // on a fresh host).
    for (std::size_t at = path.find_first_of("\\/", 1); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        const std::string folder = path.substr(0, at);
        if (folder.size() > 2 || (folder.size() == 2 && folder[1] != ':')) platform::CreateFolder(folder.c_str());
    }
    const std::string bytes = FormatInstances(instances);
    if (platform::ReplaceFileContents(path.c_str(), bytes.data(), bytes.size())) return true;
    error = path + ": cannot be written: " + platform::LastError().text;
    return false;
}

const Instance* FindInstance(const std::vector<Instance>& instances, const std::string& name) {
    for (const Instance& instance : instances) {
        if (SameInstanceName(instance.name, name)) return &instance;
    }
    return nullptr;
}

std::vector<Instance> InstancesInUse(const std::vector<Instance>& instances) {
    std::vector<Instance> all = instances;
    if (FindInstance(all, kDefaultInstanceName) == nullptr) {
        all.insert(all.begin(), Instance{kDefaultInstanceName, "", "", "", "", {}});
    }
    return all;
}

bool ShareUserFolder(const Instance& a, const Instance& b) {
    return ComparablePath(a.prefix) == ComparablePath(b.prefix);
}

std::vector<std::string> IsolationClashes(const std::vector<Instance>& others, const Instance& candidate) {
    std::vector<std::string> clashes;
    for (const Instance& other : others) {
        if (SameInstanceName(other.name, candidate.name)) continue;
        const bool shared = ShareUserFolder(other, candidate);
        const bool sameIni = other.ini.empty() && candidate.ini.empty()
                                 ? shared
                                 : ComparablePath(other.ini) == ComparablePath(candidate.ini);
        if (sameIni) {
            clashes.push_back("it would share the settings file " +
                              (candidate.ini.empty() ? std::string("Servolt.ini of the user folder") : candidate.ini) +
                              " with " + other.name + " (give it its own --ini, or its own --prefix)");
        }
        if (shared && ScriptOf(other) == ScriptOf(candidate)) {
            clashes.push_back("it would share the console script " +
                              (candidate.cfg.empty() ? std::string(ServerPlaces::kDefaultConsoleScript) : candidate.cfg) +
                              " with " + other.name + " in one user folder (give it its own --cfg, or its own --prefix)");
        }
    }
    return clashes;
}
