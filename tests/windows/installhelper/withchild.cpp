// withchild.exe <program> <command line>: starts <program> (an idle.exe
// copy), waits until it runs, runs the command line, prints its full exit
// code as exitcode.exe does ("exit=<decimal> (0x<hex>)"), then ends the
// program. Exits 2 when something could not be started.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The next argument of a command line, quotes kept; line moves past it.
std::string nextArgument(const char*& line) {
  while (*line == ' ' || *line == '\t') ++line;
  const char* start = line;
  bool quoted = false;
  while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  return std::string(start, line);
}

bool start(std::string commandLine, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process) != 0;
}

}  // namespace

int main() {
  const char* line = GetCommandLineA();
  nextArgument(line);  // this program
  std::string program = nextArgument(line);
  while (*line == ' ' || *line == '\t') ++line;
  std::string command = line;

  const char* eventName = "orlin-helper-test-child-ready";
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName);
  PROCESS_INFORMATION child{};
  if (!ready || !start(program + " " + eventName, child)) {
    std::printf("withchild: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
    return 2;
  }
  HANDLE waits[] = {ready, child.hProcess};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
    std::printf("withchild: %s ended early\n", program.c_str());
    return 2;
  }
  PROCESS_INFORMATION run{};
  if (!start(command, run)) {
    std::printf("withchild: cannot start '%s' (error %lu)\n", command.c_str(), GetLastError());
    TerminateProcess(child.hProcess, 0);
    return 2;
  }
  if (WaitForSingleObject(run.hProcess, 120000) != WAIT_OBJECT_0) {
    std::printf("withchild: '%s' did not end within 120 s\n", command.c_str());
    TerminateProcess(run.hProcess, 1);
    TerminateProcess(child.hProcess, 0);
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(run.hProcess, &code);
  std::fflush(stdout);
  std::printf("exit=%ld (0x%08lx)\n", static_cast<long>(code), static_cast<unsigned long>(code));
  TerminateProcess(child.hProcess, 0);
  if (WaitForSingleObject(child.hProcess, 30000) != WAIT_OBJECT_0) std::printf("withchild: the child did not end\n");
  for (HANDLE h : {run.hProcess, run.hThread, child.hProcess, child.hThread, ready}) CloseHandle(h);
  return 0;
}
