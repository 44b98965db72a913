// Entry of the program vostra: parses the command line, builds the host and runs the command.
#pragma once

namespace host::app {
// Returns the process exit status (0 when the command ran to its end).
int Main(int argc, char** argv);
}  // namespace host::app
