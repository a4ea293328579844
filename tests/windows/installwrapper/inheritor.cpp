// inheritor.exe <command line>: like exitcode.exe, but first makes an
// inheritable event named "KivInheritProbe" and names its handle in
// KIV_INHERIT_PROBE (hex), then starts the command line with handle
// inheritance on. A program further down can tell from the handle whether
// it inherited it (the handle names the same event as one it opens by name).
// Prints "exit=<decimal> (0x<hex>)"; exits 0, or 2 when nothing could start.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  const char* line = GetCommandLineA();
  bool quoted = false;
  while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  std::string command(line);

  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE probe = CreateEventA(&inheritable, TRUE, FALSE, "KivInheritProbe");
  if (!probe) {
    std::printf("inheritor: no event (error %lu)\n", GetLastError());
    return 2;
  }
  char value[32];
  std::snprintf(value, sizeof value, "%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(probe)));
  SetEnvironmentVariableA("KIV_INHERIT_PROBE", value);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("inheritor: cannot start '%s' (error %lu)\n", command.c_str(), GetLastError());
    return 2;
  }
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
    std::printf("inheritor: '%s' did not end within 120 s\n", command.c_str());
    TerminateProcess(pi.hProcess, 1);
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(probe);
  std::printf("exit=%ld (0x%08lx)\n", static_cast<long>(code), static_cast<unsigned long>(code));
  return 0;
}
