#include "core/common/user_folder.h"

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {
const char kUserFolderParent[] = "Brenmoor";
const char kUserFolderName[] = "Vantrel(tm)";

void CreateIfMissing(const std::string& path) {
    // Anything already there, a file included, counts as present.
    if (!platform::PathExists(path.c_str())) platform::CreateFolder(path.c_str());
}

// Chosen by the front end; empty: the system's.
std::string& ChosenDocumentsFolder() {
    static std::string folder;
    return folder;
}
}  // namespace

bool GetDocumentsFolder(char* path) {
    path[0] = '\0';
    std::string folder = ChosenDocumentsFolder();
    if (folder.empty() && !platform::QueryDocumentsFolder(folder)) return false;
    if (folder.size() >= kUserPathSize) return false;
    std::memcpy(path, folder.c_str(), folder.size() + 1);
    return true;
}

void CreateUserFolders() {
    char documents[kUserPathSize];
    GetDocumentsFolder(documents);  // on failure the folders go to the root of the current drive
    std::string path = documents;
    path += '\\';
    path += kUserFolderParent;
    CreateIfMissing(path);
    path += '\\';
    path += kUserFolderName;
    CreateIfMissing(path);
}

void UseDocumentsFolder(const std::string& folder) { ChosenDocumentsFolder() = folder; }

std::string UserFolder() {
    char documents[kUserPathSize];
    std::string path;
    if (GetDocumentsFolder(documents)) {
        path = documents;
        path += '\\';
        path += kUserFolderParent;
        path += '\\';
        path += kUserFolderName;
    }
    return path;
}

std::string UserFilePath(const char* relative) { return UserFolder() + "\\" + relative; }

bool BuildUserFilePath(const char* relative, char* out, std::size_t size) {
    std::string path = UserFilePath(relative);
    if (path.size() >= size) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}
