// Dravik.exe: the Windows side of the install wrapper. A GUI program without
// a window of its own; the checks and the flow are in dravik.cpp.
#include <windows.h>

#include "dravik.h"

#include <memory>
#include <type_traits>
#include <vector>

namespace {

using dravik::OsVersion;

// The version records the administrator check asks with, in their sizes.
static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148);

// Closes a kernel handle when it goes out of scope.
struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct KeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct LibraryFreer {
  void operator()(HMODULE m) const { FreeLibrary(m); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

OsVersion fromRecord(const OSVERSIONINFOA& v) {
  OsVersion out;
  out.platformId = v.dwPlatformId;
  out.major = v.dwMajorVersion;
  out.minor = v.dwMinorVersion;
  out.servicePack.assign(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof v.szCSDVersion));
  return out;
}

std::optional<OsVersion> basicVersion() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (!GetVersionExA(&v)) return std::nullopt;
  return fromRecord(v);
}

// The advapi32 security functions, loaded by name at run time.
class SecurityApi {
 public:
  SecurityApi() : lib_(LoadLibraryA("advapi32.dll")) {
    if (!lib_) return;
    resolve(allocateSid_, "AllocateAndInitializeSid");
    resolve(openToken_, "OpenProcessToken");
    resolve(tokenInfo_, "GetTokenInformation");
    resolve(equalSid_, "EqualSid");
    resolve(freeSid_, "FreeSid");
  }

  // True when the own process token lists the built-in Administrators group.
  bool processIsAdministrator() const {
    if (!allocateSid_ || !openToken_ || !tokenInfo_ || !equalSid_ || !freeSid_) return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID raw = nullptr;
    if (!allocateSid_(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &raw)) return false;
    const auto sidFreer = [this](PSID s) { freeSid_(s); };
    std::unique_ptr<void, decltype(sidFreer)> admins(raw, sidFreer);

    HANDLE rawToken = nullptr;
    if (!openToken_(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return false;
    Handle token(rawToken);

    DWORD size = 0;
    tokenInfo_(token.get(), TokenGroups, nullptr, 0, &size);
    if (size < sizeof(TOKEN_GROUPS)) return false;
    // The buffer holds pointers: allocate it as pointer-aligned words.
    std::vector<ULONG_PTR> buffer((size + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR));
    if (!tokenInfo_(token.get(), TokenGroups, buffer.data(), size, &size)) return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
      if (equalSid_(groups->Groups[i].Sid, admins.get())) return true;
    }
    return false;
  }

 private:
  using AllocateFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                   DWORD, DWORD, PSID*);
  using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using TokenInfoFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  using EqualSidFn = BOOL(WINAPI*)(PSID, PSID);
  using FreeSidFn = PVOID(WINAPI*)(PSID);

  template <typename Fn>
  void resolve(Fn& fn, const char* name) const {
    // Through void*: FARPROC and the real signature are unrelated types.
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib_.get(), name)));
  }

  Library lib_;
  AllocateFn allocateSid_ = nullptr;
  OpenTokenFn openToken_ = nullptr;
  TokenInfoFn tokenInfo_ = nullptr;
  EqualSidFn equalSid_ = nullptr;
  FreeSidFn freeSid_ = nullptr;
};

class Win32System final : public dravik::System {
 public:
  explicit Win32System(HINSTANCE instance) : instance_(instance) {}

  std::string load(unsigned id, std::size_t capacity) const override {
    std::vector<char> buffer(capacity, '\0');
    const int n = LoadStringA(instance_, id, buffer.data(), static_cast<int>(buffer.size()));
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
  }

  std::optional<OsVersion> versionForAdminCheck() override {
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
      return fromRecord(*reinterpret_cast<const OSVERSIONINFOA*>(&extended));
    }
    return basicVersion();
  }

  bool isAdministrator() override { return SecurityApi().processIsAdministrator(); }

  std::optional<std::string> processorIdentifier() override {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &raw) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    Key key(raw);
    char value[128] = {};
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.get(), "identifier", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    // The value need not end in a terminator.
    return std::string(value, strnlen(value, size < sizeof value ? size : sizeof value));
  }

  std::optional<OsVersion> osVersion() override { return basicVersion(); }

  std::uint64_t totalPhysicalMemory() override {
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return status.dwTotalPhys;
  }

  bool askToContinue(const std::string& caption, const std::string& text) override {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
  }

  void showError(const std::string& caption, const std::string& text) override {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  }

  std::optional<std::string> ownPath() override {
    char path[dravik::kPathCapacity];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    // 0 is a failure; a full buffer means the path was cut short.
    if (n == 0 || n >= sizeof path) return std::nullopt;
    return std::string(path, n);
  }

  bool startAndWait(const std::string& application, const std::string& commandLine) override {
    // CreateProcessA may write to the command line: hand it a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
      return false;
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    // Look once a second until setup has ended. The process handle, not the
    // exit code, says so: a setup that exits with STILL_ACTIVE (259) must not
    // keep the wrapper waiting. A wait that fails (WAIT_FAILED: the handle
    // cannot be waited on) is taken as setup's end on purpose: setup was
    // started, and going on waiting could only hang the wrapper.
    while (WaitForSingleObject(process.get(), 1000) == WAIT_TIMEOUT) {
    }
    return true;
  }

 private:
  HINSTANCE instance_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    Win32System system(instance);
    const char* line = GetCommandLineA();
    return dravik::runWrapper(line ? line : "", system);
  } catch (...) {
    // Every exception ends the wrapper with "setup could not be started" on
    // purpose: the only ones possible are failed allocations, and nothing is
    // allocated once setup has started, so setup has not been started.
    return dravik::kExitNoSetup;
  }
}
