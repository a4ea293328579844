// holdfile.exe <file> <none|read> <command line>: opens <file> (creating it
// when missing) and keeps it open while the command line runs, sharing it
// with nobody ("none") or with readers only ("read"), then prints the
// command's full exit code as exitcode.exe does ("exit=<decimal> (0x<hex>)").
// Exits 2 when the file cannot be held or the command not started.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string nextArgument(const char*& line) {
  while (*line == ' ' || *line == '\t') ++line;
  const char* start = line;
  bool quoted = false;
  while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  std::string arg(start, line);
  if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') arg = arg.substr(1, arg.size() - 2);
  return arg;
}

}  // namespace

int main() {
  const char* line = GetCommandLineA();
  nextArgument(line);  // this program
  const std::string file = nextArgument(line);
  const std::string share = nextArgument(line);
  while (*line == ' ' || *line == '\t') ++line;
  std::string command = line;
  if (share != "none" && share != "read") {
    std::printf("usage: holdfile <file> <none|read> <command line>\n");
    return 2;
  }
  // Readers only: this side holds read access alone, so that others may
  // read beside it but nobody may write.
  const DWORD access = share == "read" ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  HANDLE held = CreateFileA(file.c_str(), access, share == "read" ? FILE_SHARE_READ : 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::printf("holdfile: cannot open %s (error %lu)\n", file.c_str(), GetLastError());
    return 2;
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("holdfile: cannot start '%s' (error %lu)\n", command.c_str(), GetLastError());
    CloseHandle(held);
    return 2;
  }
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
    std::printf("holdfile: '%s' did not end within 120 s\n", command.c_str());
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(held);
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(held);
  std::fflush(stdout);
  std::printf("exit=%ld (0x%08lx)\n", static_cast<long>(code), static_cast<unsigned long>(code));
  return 0;
}
