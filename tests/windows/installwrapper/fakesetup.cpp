// setup.exe stand-in for Dravik's tests. It records how it was started and
// exits with a code of its own:
//   FAKESETUP_LOG    file to write (appended): "cmdline=<its command line>"
//                    and "cwd=<its current directory>", one line each
//   FAKESETUP_EXIT   exit code (decimal, default 7)
//   FAKESETUP_WAIT   milliseconds to run before writing the record (default 0),
//                    so that a record present when Dravik returns shows that
//                    Dravik waited for it
//   KIV_INHERIT_PROBE the handle of the event "KivInheritProbe" in a process
//                    further up (inheritor.exe): the record then has a line
//                    "inherited=yes" or "inherited=no", as that handle value
//                    names the same event here or not
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string env(const char* name) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}
// Whether the handle value in KIV_INHERIT_PROBE is, here, the event
// "KivInheritProbe": then it was inherited.
const char* inheritedProbe(const std::string& value) {
  HANDLE own = OpenEventA(SYNCHRONIZE, FALSE, "KivInheritProbe");
  if (!own) return "no event";
  using CompareFn = BOOL(WINAPI*)(HANDLE, HANDLE);
  auto compare = reinterpret_cast<CompareFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("kernelbase.dll"), "CompareObjectHandles")));
  const auto handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoull(value.c_str(), nullptr, 16)));
  const char* answer = !compare ? "cannot tell" : compare(own, handle) ? "yes" : "no";
  CloseHandle(own);
  return answer;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string wait = env("FAKESETUP_WAIT");
  if (!wait.empty()) Sleep(static_cast<DWORD>(std::strtoul(wait.c_str(), nullptr, 10)));
  const std::string log = env("FAKESETUP_LOG");
  if (!log.empty()) {
    if (FILE* f = std::fopen(log.c_str(), "ab")) {
      char cwd[MAX_PATH + 1] = {};
      GetCurrentDirectoryA(sizeof cwd, cwd);
      std::fprintf(f, "cmdline=%s\ncwd=%s\n", GetCommandLineA(), cwd);
      const std::string probe = env("KIV_INHERIT_PROBE");
      if (!probe.empty()) std::fprintf(f, "inherited=%s\n", inheritedProbe(probe));
      std::fclose(f);
    }
  }
  const std::string code = env("FAKESETUP_EXIT");
  return code.empty() ? 7 : static_cast<int>(std::strtol(code.c_str(), nullptr, 10));
}
