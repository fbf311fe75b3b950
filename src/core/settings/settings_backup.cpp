#include "core/settings/settings_backup.h"

#include "platform/platform.h"

bool BackUpSettingsFile(const std::string& path) {
    if (!platform::PathExists(path.c_str())) return true;
    std::string bytes;
    if (!platform::ReadFileContents(path.c_str(), bytes)) return false;
    const std::string backup = path + ".bak";
    return platform::ReplaceFileContents(backup.c_str(), bytes.data(), bytes.size());
}
