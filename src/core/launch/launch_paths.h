// Where the server program is and how a failed start is told, kept free of
// Win32 calls so the rules can be checked on their own.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kLaunchPathSize = 260;         // MAX_PATH
constexpr std::size_t kLaunchMessageSize = 4096;
extern const char kServerProgramName[];             // "vantrel_server.exe"

struct ServerLaunchPaths {
    std::string folder;      // the game folder, the server's working folder
    std::string executable;  // folder + "\" + kServerProgramName
    // Both fit a MAX_PATH buffer with their terminating zero. When they do
    // not, the server must not be started: a cut path could name another
    // program.
    bool fits = false;
};

// The server's paths for the utility's current folder. A folder that ends
// in a backslash (a drive root) gets no second one.
ServerLaunchPaths ComposeServerLaunchPaths(const std::string& folder);

// "Failed to locate: " (the prefix) followed by the path, cut to what a
// kLaunchMessageSize-byte buffer holds.
std::string ComposeLaunchFailureText(const char* prefix, const std::string& path);
