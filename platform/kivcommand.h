// The command interpreter, for the launcher's system mode only: the
// host-services library starts no program and does not link this.
#pragma once

namespace kiv::platform {

// Runs a command line through the command interpreter and returns the
// command's exit code (-1 when the interpreter cannot be started).
int runCommand(const char* commandLine);

}  // namespace kiv::platform
