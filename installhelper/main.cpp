// helper <fn> [arguments]: one step of an installation script per run; the
// answer is the exit status.
#include <new>

#include "helper_win32.h"

int main(int argc, char** argv) {
  try {
    orlin::Console console;
    console.debug = orlin::debugSwitchOn();
    auto os = orlin::makeWindowsOs();
    std::vector<std::string> args(argv + 1, argv + argc);
    return orlin::runHelper(*os, console, args);
  } catch (const std::bad_alloc&) {
    return orlin::kExitBadCall;
  }
}
