// The standard streams of a Windows console program, through the C runtime
// that holds their modes.
#include "platform/console.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace platform {

void SetStandardOutputBinary() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace platform
