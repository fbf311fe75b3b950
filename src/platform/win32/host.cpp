#include "platform/host.h"

#include <cstdlib>

namespace platform {

std::string WinePrefixFromEnvironment() { return std::string(); }

bool WinePrefixDocumentsFolder(const std::string&, std::string&, std::string& error) {
    error = "--prefix names a Wine prefix on Linux; on Windows the user folder is the system's";
    return false;
}

namespace {
std::string FolderIn(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? std::string(value) + "\\Servolt" : "";
}
}  // namespace

std::string UtilityConfigFolder() { return FolderIn("APPDATA"); }

std::string UtilityRuntimeFolder() {
    const std::string local = FolderIn("LOCALAPPDATA");
    return local.empty() ? UtilityConfigFolder() : local;
}

}  // namespace platform
