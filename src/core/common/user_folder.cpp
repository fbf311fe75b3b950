#include "core/common/user_folder.h"

#include "platform/platform.h"

namespace {
const char kUserFolderTail[] = "\\Brenmoor\\Vantrel(tm)";

void CreateIfMissing(const std::string& path) {
    // Anything already there, a file included, counts as present.
    if (!platform::PathExists(path.c_str())) platform::CreateFolder(path.c_str());
}
}  // namespace

bool GetDocumentsFolder(std::string& folder) {
    if (!platform::QueryDocumentsFolder(folder) || folder.size() >= kUserPathSize) {
        folder.clear();
        return false;
    }
    return true;
}

std::string UserFolderIn(const std::string& documentsFolder) {
    return documentsFolder.empty() ? std::string() : documentsFolder + kUserFolderTail;
}

void CreateUserFolders(const std::string& userFolder) {
    const std::string folder = userFolder.empty() ? std::string(kUserFolderTail) : userFolder;
    const std::string::size_type parent = folder.rfind('\\');
    if (parent != std::string::npos && parent > 0) CreateIfMissing(folder.substr(0, parent));
    CreateIfMissing(folder);
}
