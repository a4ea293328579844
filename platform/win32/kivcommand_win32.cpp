#include "kivcommand.h"

#include <cstdlib>

namespace kiv::platform {

int runCommand(const char* commandLine) { return std::system(commandLine); }

}  // namespace kiv::platform
