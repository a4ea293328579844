// helper <fn> [arguments]: one step of an installation script per run; the
// answer is the exit status.
#include "helper_win32.h"

int main(int argc, char** argv) {
  return orlin::runGuarded([&] {
    orlin::Console console;
    console.debug = orlin::debugSwitchOn();
    auto os = orlin::makeWindowsOs();
    std::vector<std::string> args(argv + 1, argv + argc);
    return orlin::runHelper(*os, console, args);
  });
}
