#include "kivcommand.h"

#include <cstdlib>
#include <sys/wait.h>

namespace kiv::platform {

int runCommand(const char* commandLine) {
  int status = std::system(commandLine);
  if (status == -1) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

}  // namespace kiv::platform
