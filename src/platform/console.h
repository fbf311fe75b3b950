// The standard streams of the command-line program, as each system keeps
// them.
#pragma once

namespace platform {

// From now on standard output takes bytes as they are: on Windows its text
// mode would turn each LF into CR LF. What was written before goes out
// first.
void SetStandardOutputBinary();

// Whether standard error goes to a terminal (a console on Windows), where a
// line may be redrawn.
bool StandardErrorIsTerminal();

}  // namespace platform
