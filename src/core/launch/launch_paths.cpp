#include "core/launch/launch_paths.h"

const char kServerProgramName[] = "vantrel_server.exe";

ServerLaunchPaths ComposeServerLaunchPaths(const std::string& folder) {
    ServerLaunchPaths paths;
    paths.folder = folder;
    paths.executable = folder;
    if (paths.executable.empty() || paths.executable.back() != '\\') paths.executable += '\\';
    paths.executable += kServerProgramName;
    paths.fits = !folder.empty() && folder.size() < kLaunchPathSize && paths.executable.size() < kLaunchPathSize;
    return paths;
}

std::string ComposeLaunchFailureText(const char* prefix, const std::string& path) {
    std::string text = prefix ? prefix : "";
    text += path;
    if (text.size() > kLaunchMessageSize - 1) text.resize(kLaunchMessageSize - 1);
    return text;
}
