// The servers one host runs, each by a name: where its game, its Wine prefix,
// its settings file and its console script are. They live in instances.ini
// in the utility's configuration folder; without that file there is one
// server, "default", in the places the window uses.
#pragma once

#include <string>
#include <utility>
#include <vector>

constexpr const char* kDefaultInstanceName = "default";

struct Instance {
    std::string name;
    std::string game;    // game folder; empty: the current folder
    std::string prefix;  // Wine prefix; empty: $WINEPREFIX, or none
    std::string ini;     // settings file; empty: Servolt.ini of the user folder
    std::string cfg;     // console script; empty: server.cfg
    // Keys this version does not know, kept so that a rewrite loses nothing.
    std::vector<std::pair<std::string, std::string>> otherKeys;
};

// Letters, digits, '-' and '_', 1 to 64 of them: a name that is safe as a
// file name, in a systemd unit (servolt@NAME) and on a command line.
bool IsInstanceName(const std::string& name);

// Names compare without regard to letter case, so that no two instances
// differ only in case (their files would be one on Windows).
bool SameInstanceName(const std::string& a, const std::string& b);

// instances.ini of the utility's configuration folder; empty when the
// environment names no home.
std::string DefaultInstancesPath();

// Reads the file. A missing file is no instance and no error; anything else
// that cannot be read, or a line that is not understood, is false with the
// reason ("FILE: line N: ...") in `error`.
bool ReadInstances(const std::string& path, std::vector<Instance>& instances, std::string& error);

// The file's bytes: one section per instance, CR LF line ends.
std::string FormatInstances(const std::vector<Instance>& instances);

// Replaces the file whole (its folder made when missing); on failure the
// old file stays and `error` holds the reason.
bool WriteInstances(const std::string& path, const std::vector<Instance>& instances, std::string& error);

// The instance of that name, or null.
const Instance* FindInstance(const std::vector<Instance>& instances, const std::string& name);

// The instances as they are in use: those of the file and, when the file
// does not name it, the implicit "default" in the window's places.
std::vector<Instance> InstancesInUse(const std::vector<Instance>& instances);

// Whether two instances write into one user folder: the same Wine prefix,
// or none for both (a Windows host, or the stand-in's single folder).
bool ShareUserFolder(const Instance& a, const Instance& b);

// Why `candidate` cannot sit beside `others`: each instance of a user folder
// needs a settings file and a console script of its own. Empty when it can.
std::vector<std::string> IsolationClashes(const std::vector<Instance>& others, const Instance& candidate);
