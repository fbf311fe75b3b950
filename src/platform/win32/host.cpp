#include "platform/host.h"

namespace platform {

std::string WinePrefixFromEnvironment() { return std::string(); }

bool WinePrefixDocumentsFolder(const std::string&, std::string&, std::string& error) {
    error = "--prefix names a Wine prefix on Linux; on Windows the user folder is the system's";
    return false;
}

}  // namespace platform
