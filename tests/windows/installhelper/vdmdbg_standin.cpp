// vdmdbg.dll stand-in, put beside a copy of helper.exe: VDMEnumTaskWOWEx
// reports, for any process, the 16-bit tasks whose file names VDMSTUB_TASKS
// lists (separated by ';'), with task handles 0x1001, 0x1002, ..., until the
// callback answers TRUE. Each call appends "VDMEnumTaskWOWEx <file name of
// the process>" to the file VDMSTUB_LOG.
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

std::string env(const char* name) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

}  // namespace

extern "C" {

using TaskEnumProcEx = BOOL(WINAPI*)(DWORD, WORD, WORD, PSZ, PSZ, LPARAM);

INT WINAPI StubVDMEnumTaskWOWEx(DWORD pid, TaskEnumProcEx callback, LPARAM data) {
  const std::string log = env("VDMSTUB_LOG");
  if (!log.empty()) {
    char name[MAX_PATH] = "?";
    if (HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
      K32GetModuleFileNameExA(p, nullptr, name, sizeof name);
      CloseHandle(p);
    }
    if (FILE* f = std::fopen(log.c_str(), "ab")) {
      std::fprintf(f, "VDMEnumTaskWOWEx %s\n", name);
      std::fclose(f);
    }
  }
  std::string tasks = env("VDMSTUB_TASKS");
  INT count = 0;
  for (std::size_t start = 0; !tasks.empty() && start <= tasks.size();) {
    std::size_t end = tasks.find(';', start);
    if (end == std::string::npos) end = tasks.size();
    std::string file = tasks.substr(start, end - start);
    std::string module = file.substr(file.rfind('\\') + 1);
    ++count;
    if (callback(0, 0x0100, static_cast<WORD>(0x1000 + count), module.data(), file.data(), data)) break;
    start = end + 1;
  }
  return count;
}

}  // extern "C"
