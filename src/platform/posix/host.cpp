#include "platform/host.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {
namespace {
// Wine names the user folder after the Linux user.
std::string UserName() {
    const char* user = std::getenv("USER");
    if (user != nullptr && *user != '\0') return user;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr ? entry->pw_name : "";
}
}  // namespace

std::string WinePrefixFromEnvironment() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix != nullptr ? prefix : "";
}

bool WinePrefixDocumentsFolder(const std::string& prefix, std::string& folder, std::string& error) {
    // Where the server, run under Wine, reads server.cfg.
    const std::string users = prefix + "/drive_c/users/" + UserName();
    if (!PathExists(users.c_str())) {
        error = users + ": no user folder in the Wine prefix " + prefix + " (run wineboot there first)";
        return false;
    }
    folder = users + "/Documents";
    return true;
}

namespace {
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
}  // namespace

std::string UtilityConfigFolder() {
    // Relative values are to be ignored, by the base directory rules.
    const std::string config = Variable("XDG_CONFIG_HOME");
    if (!config.empty() && config[0] == '/') return config + "/servolt";
    std::string home = Variable("HOME");
    if (home.empty()) {
        const passwd* entry = getpwuid(getuid());
        if (entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
    }
    return home.empty() ? "" : home + "/.config/servolt";
}

std::string UtilityRuntimeFolder() {
    const std::string runtime = Variable("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime[0] == '/') return runtime + "/servolt";
    return UtilityConfigFolder();
}

}  // namespace platform
