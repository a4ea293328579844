// exitcode.exe <command line>: runs the command line, waits for it and prints
// its full 32-bit exit code as "exit=<decimal> (0x<hex>)". The shell sees only
// the low byte of a Windows program's exit code; the tests read this line.
// Exits 0, or 2 when the program could not be started.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  // Everything after this program's own name, quoting kept as given.
  const char* line = GetCommandLineA();
  bool quoted = false;
  while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  std::string command(line);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("exitcode: cannot start '%s' (error %lu)\n", command.c_str(), GetLastError());
    return 2;
  }
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
    std::printf("exitcode: '%s' did not end within 120 s\n", command.c_str());
    TerminateProcess(pi.hProcess, 1);
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::fflush(stdout);
  std::printf("exit=%ld (0x%08lx)\n", static_cast<long>(code), static_cast<unsigned long>(code));
  return 0;
}
