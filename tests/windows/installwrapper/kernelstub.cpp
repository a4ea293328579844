// DVKSTB32.dll: stands in for kernel32 in a copy of Dravik.exe whose import
// of KERNEL32.dll is renamed to it. Every function but those below is
// forwarded to kernel32 (see kernelstub-def.cmake). These answer as the
// environment says, and otherwise as kernel32 does:
//   DVKSTB_VERSION  "noex": GetVersionExA refuses the extended record (as
//                   Windows before NT 4 SP6 does); "none": it refuses every
//                   record
//   DVKSTB_MEMORY   total physical memory in bytes, for GlobalMemoryStatus
//   DVKSTB_OWNPATH  "fail": GetModuleFileNameA of the program fails; "cut":
//                   it fills the whole buffer with a cut path
//   DVKSTB_ADMIN    "no": the token's group list, read through the
//                   GetTokenInformation that GetProcAddress hands out, lacks
//                   the Administrators group; "fail": OpenProcessToken fails
//   DVKSTB_LOG      file to append one line per stand-in call to:
//                   "GetVersionExA <record size>", "GlobalMemoryStatus",
//                   "GetModuleFileNameA <buffer size>", "OpenProcessToken",
//                   "GetTokenInformation <buffer size>"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string env(const char* name) {
  char value[512];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void logCall(const char* what, unsigned long number = 0, bool withNumber = false) {
  const std::string log = env("DVKSTB_LOG");
  if (log.empty()) return;
  if (FILE* f = std::fopen(log.c_str(), "ab")) {
    if (withNumber)
      std::fprintf(f, "%s %lu\n", what, number);
    else
      std::fprintf(f, "%s\n", what);
    std::fclose(f);
  }
}

using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using TokenInfoFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
OpenTokenFn g_realOpenToken = nullptr;
TokenInfoFn g_realTokenInfo = nullptr;

BOOL WINAPI openTokenStandIn(HANDLE process, DWORD access, PHANDLE token) {
  logCall("OpenProcessToken");
  if (env("DVKSTB_ADMIN") == "fail") {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return g_realOpenToken(process, access, token);
}

// The real group list with the built-in Administrators group taken out.
BOOL WINAPI tokenInfoStandIn(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID data, DWORD size, PDWORD needed) {
  logCall("GetTokenInformation", size, true);
  const BOOL ok = g_realTokenInfo(token, kind, data, size, needed);
  if (!ok || kind != TokenGroups || !data || env("DVKSTB_ADMIN") != "no") return ok;
  auto* groups = static_cast<TOKEN_GROUPS*>(data);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &admins))
    return FALSE;
  DWORD kept = 0;
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (!EqualSid(groups->Groups[i].Sid, admins)) groups->Groups[kept++] = groups->Groups[i];
  }
  groups->GroupCount = kept;
  FreeSid(admins);
  return TRUE;
}

}  // namespace

// The stand-ins, exported under kernel32's names by the .def file.
extern "C" {

BOOL WINAPI DvkGetVersionExA(LPOSVERSIONINFOA info) {
  logCall("GetVersionExA", info ? info->dwOSVersionInfoSize : 0, true);
  const std::string mode = env("DVKSTB_VERSION");
  if (mode == "none" || (mode == "noex" && info && info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  return GetVersionExA(info);
}

void WINAPI DvkGlobalMemoryStatus(LPMEMORYSTATUS status) {
  logCall("GlobalMemoryStatus");
  GlobalMemoryStatus(status);
  const std::string memory = env("DVKSTB_MEMORY");
  if (!memory.empty()) status->dwTotalPhys = static_cast<SIZE_T>(std::strtoull(memory.c_str(), nullptr, 10));
}

DWORD WINAPI DvkGetModuleFileNameA(HMODULE module, LPSTR name, DWORD size) {
  if (module) return GetModuleFileNameA(module, name, size);
  logCall("GetModuleFileNameA", size, true);
  const std::string mode = env("DVKSTB_OWNPATH");
  if (mode == "fail") {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const DWORD n = GetModuleFileNameA(module, name, size);
  if (mode != "cut" || n == 0 || size == 0) return n;
  // What a buffer too small for the path gets: the path cut, the whole
  // buffer used, the last character the terminator, the buffer's size as
  // the length. Cut here inside a directory that exists, as a long path
  // would be.
  std::string cut(name, n);
  cut.erase(cut.rfind('\\'));
  while (cut.size() < size) cut += "\\deeper";
  std::memcpy(name, cut.data(), size - 1);
  name[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

FARPROC WINAPI DvkGetProcAddress(HMODULE module, LPCSTR name) {
  FARPROC found = GetProcAddress(module, name);
  if (!found || IS_INTRESOURCE(name)) return found;
  if (std::strcmp(name, "OpenProcessToken") == 0) {
    g_realOpenToken = reinterpret_cast<OpenTokenFn>(reinterpret_cast<void*>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(openTokenStandIn));
  }
  if (std::strcmp(name, "GetTokenInformation") == 0) {
    g_realTokenInfo = reinterpret_cast<TokenInfoFn>(reinterpret_cast<void*>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(tokenInfoStandIn));
  }
  return found;
}

}  // extern "C"
