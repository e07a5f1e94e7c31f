#pragma once
// The process from start to exit.

namespace kelvra {

// The whole life of the process: start-up, the message loop until the last window is gone,
// and the release of the global data. Returns the exit code.
int RunProgram();

}  // namespace kelvra
