// servolt-cli rez create: packs a folder into a .rez archive with the core's
// writer.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

struct RezCreateOptions {
    std::string archive;
    std::string folder;
    std::string method = "best";
    std::vector<std::string> exclude;  // --exclude, repeatable
};

// Adds `create` under the `rez` command.
CLI::App* AddRezCreateCommand(CLI::App& rez, RezCreateOptions& options);

// 0 when the archive was written; 2 when it was not (a name refused, a file
// not read, the archive not written), the target then left as it was.
int RunRezCreate(const RezCreateOptions& options);
