// The standard streams on POSIX hosts, which make no difference between text
// and bytes.
#include "platform/console.h"

#include <cstdio>

#include <unistd.h>

namespace platform {

void SetStandardOutputBinary() { std::fflush(stdout); }

bool StandardErrorIsTerminal() { return isatty(fileno(stderr)) != 0; }

}  // namespace platform
