// proclist.exe: walks the processes as the helper does and prints one line
// per visit ("<pid> <task> <file name>"), then "walk=1" or "walk=0".
#include <cstdio>

#include "helper_win32.h"

namespace {

bool print(std::uint32_t pid, std::uint16_t task, const char* name, void*) {
  std::printf("%lu %u %s\n", static_cast<unsigned long>(pid), static_cast<unsigned>(task), name);
  return true;
}

}  // namespace

int main() {
  bool ran = orlin::enumerateProcesses(print, nullptr);
  std::printf("walk=%d\n", ran ? 1 : 0);
  return 0;
}
