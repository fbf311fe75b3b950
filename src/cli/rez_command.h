// servolt-cli rez list / cat / extract / verify: what a .rez archive holds, one
// entry's bytes, and the archive unpacked into a folder without letting it
// write anywhere else.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

struct RezOptions {
    std::string archive;
    bool json = false;                  // list
    std::string entry;                  // cat
    std::vector<std::string> patterns;  // extract
    std::string folder = ".";           // extract -C
    bool force = false;                 // extract
};

struct RezCommands {
    CLI::App* list = nullptr;
    CLI::App* cat = nullptr;
    CLI::App* extract = nullptr;
    CLI::App* verify = nullptr;
    // Whether the command line chose one of them.
    bool Chosen() const;
};

// Adds the subcommands under `rez` (all but create).
RezCommands AddRezCommands(CLI::App& rez, RezOptions& options);

// Runs the chosen one. Exit codes: 0 done; 1 (extract) some entries refused,
// skipped or damaged, the others written, (list) records point past the
// end of the file, (verify) some entries damaged; 2 nothing could be done
// (archive unreadable, no such entry, overlapping entries, folder not made).
int RunRez(const RezCommands& commands, const RezOptions& options);
