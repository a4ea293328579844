// psapi.dll stand-in, put beside a copy of helper.exe: the process-id list
// of the machine, with PSAPISTUB_PAD ids of processes that do not exist put
// before the real ones, handed out as EnumProcesses does (as many as the
// buffer holds, the byte count written). EnumProcessModules and
// GetModuleFileNameExA are kernel32's. Each EnumProcesses call appends
// "EnumProcesses <buffer bytes>" to the file PSAPISTUB_LOG.
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <vector>

namespace {

DWORD envNumber(const char* name) {
  char value[32];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? static_cast<DWORD>(std::strtoul(value, nullptr, 10)) : 0;
}

void logCall(DWORD bytes) {
  char log[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("PSAPISTUB_LOG", log, sizeof log);
  if (n == 0 || n >= sizeof log) return;
  if (FILE* f = std::fopen(log, "ab")) {
    std::fprintf(f, "EnumProcesses %lu\n", static_cast<unsigned long>(bytes));
    std::fclose(f);
  }
}

}  // namespace

extern "C" {

BOOL WINAPI StubEnumProcesses(DWORD* ids, DWORD bytes, DWORD* written) {
  logCall(bytes);
  std::vector<DWORD> real(8192);
  DWORD realBytes = 0;
  if (!K32EnumProcesses(real.data(), static_cast<DWORD>(real.size() * sizeof(DWORD)), &realBytes)) return FALSE;
  real.resize(realBytes / sizeof(DWORD));
  // Ids no process has: multiples of 4 far above what Wine hands out.
  std::vector<DWORD> all;
  for (DWORD i = 0, pad = envNumber("PSAPISTUB_PAD"); i < pad; ++i) all.push_back(0x3FF00000u + 4 * i);
  all.insert(all.end(), real.begin(), real.end());
  const std::size_t fits = std::min<std::size_t>(all.size(), bytes / sizeof(DWORD));
  for (std::size_t i = 0; i < fits; ++i) ids[i] = all[i];
  *written = static_cast<DWORD>(fits * sizeof(DWORD));
  return TRUE;
}

BOOL WINAPI StubEnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed) {
  return K32EnumProcessModules(process, modules, bytes, needed);
}

DWORD WINAPI StubGetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR name, DWORD size) {
  return K32GetModuleFileNameExA(process, module, name, size);
}

}  // extern "C"
