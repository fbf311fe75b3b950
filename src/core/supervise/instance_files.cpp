#include "core/supervise/instance_files.h"

#include "platform/host.h"
#include "platform/platform.h"

namespace {

std::string In(const std::string& folder, const std::string& name) {
    return folder.empty() ? std::string() : folder + "\\" + name;
}

}  // namespace

InstanceFiles FilesOfInstance(const std::string& name) {
    const std::string runtime = platform::UtilityRuntimeFolder();
    const std::string config = platform::UtilityConfigFolder();
    InstanceFiles files;
    files.status = In(runtime, name + ".status");
    files.lock = In(runtime, name + ".lock");
    files.logFolder = In(config, "logs");
    files.log = In(files.logFolder, name + ".log");
    return files;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    if (platform::PathKind(folder.c_str()) == platform::PathType::Folder) return true;
    const std::string::size_type cut = folder.find_last_of("\\/");
    // A drive ("C:") or the root has no parent to make.
    if (cut != std::string::npos && cut > 0 && folder[cut - 1] != ':') MakeFolders(folder.substr(0, cut));
    platform::CreateFolder(folder.c_str());
    return platform::PathKind(folder.c_str()) == platform::PathType::Folder;
}
