#include "cli/cli_places.h"

#include <cstdlib>

#include "core/common/user_folder.h"
#include "core/settings/settings_file.h"
#include "platform/platform.h"

#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

#if !defined(_WIN32)
// Wine names the user folder after the Linux user.
std::string UserName() {
    const char* user = std::getenv("USER");
    if (user != nullptr && *user != '\0') return user;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr ? entry->pw_name : "";
}
#endif

}  // namespace

bool ApplyPlaces(const CliPlaces& places, bool iniIsRead, std::string& error) {
    std::string prefix = places.prefix;
#if defined(_WIN32)
    if (!prefix.empty()) {
        error = "--prefix names a Wine prefix on Linux; on Windows the user folder is the system's";
        return false;
    }
#else
    if (prefix.empty()) {
        const char* fromEnvironment = std::getenv("WINEPREFIX");
        if (fromEnvironment != nullptr) prefix = fromEnvironment;
    }
    if (!prefix.empty()) {
        // Where the server, run under Wine, reads server.cfg.
        const std::string users = prefix + "/drive_c/users/" + UserName();
        if (!platform::PathExists(users.c_str())) {
            error = users + ": no user folder in the Wine prefix " + prefix + " (run wineboot there first)";
            return false;
        }
        UseDocumentsFolder(users + "/Documents");
    }
#endif
    if (!places.ini.empty()) {
        if (places.ini.size() >= 260) {
            error = places.ini + ": the settings file's path is longer than 259 characters";
            return false;
        }
        if (iniIsRead && !platform::CanOpenForReading(places.ini.c_str())) {
            error = places.ini + ": no such settings file";
            return false;
        }
        UseSettingsFile(places.ini);
    }
    return true;
}

std::string SettingsFileInUse() { return GetSettingsFilePath(); }

bool SettingsFileExists() { return platform::CanOpenForReading(GetSettingsFilePath()); }

std::string OutputFolder(const CliPlaces& places) { return places.out.empty() ? UserFolder() : places.out; }

std::string GameFolder(const CliPlaces& places) {
    if (!places.game.empty()) return places.game;
    std::string folder;
    platform::QueryCurrentFolder(folder);
    return folder;
}
