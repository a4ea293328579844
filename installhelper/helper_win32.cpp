// The installer helper's thin layer over Win32: profile strings, registry,
// files, process start and the process walks of both Windows families, whose
// PSAPI, VDMDBG and tool-help functions are loaded at run time.
#include "helper_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "helpermsg.h"

namespace orlin {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct LibraryCloser {
  void operator()(HMODULE lib) const { FreeLibrary(lib); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryCloser>;

Key openKey(HKEY root, const char* path, REGSAM access, LONG* rc = nullptr) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(root, path, 0, access, &key);
  if (rc) *rc = result;
  return Key(result == ERROR_SUCCESS ? key : nullptr);
}

// A value read into a buffer of the given size (string type not checked).
// None when missing or when it does not fit with its terminating NUL.
std::optional<std::string> readValue(HKEY key, const char* name, std::size_t size, DWORD* type) {
  std::vector<char> buffer(size, '\0');
  DWORD bytes = static_cast<DWORD>(size);
  if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::size_t length = 0;
  while (length < bytes && buffer[length] != '\0') ++length;
  if (length >= size) return std::nullopt;
  return std::string(buffer.data(), length);
}

RegText readString(HKEY key, const char* name, std::size_t size) {
  RegText value;
  DWORD type = 0;
  DWORD bytes = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &bytes);
  if (rc != ERROR_SUCCESS) return value;
  if (type != REG_SZ) {
    value.state = RegText::State::WrongType;
    return value;
  }
  auto text = readValue(key, name, size, &type);
  value.state = text ? RegText::State::Ok : RegText::State::TooLong;
  if (text) value.text = std::move(*text);
  return value;
}

bool setString(HKEY key, const std::string& name, const std::string& value) {
  // The terminating NUL is counted in the length.
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

class WindowsViewers : public ViewerTable {
 public:
  explicit WindowsViewers(Key key) : key_(std::move(key)) {}
  std::optional<std::string> read(const std::string& name) override {
    return readValue(key_.get(), name.c_str(), kBuffer, nullptr);
  }
  void write(const std::string& name, const std::string& value) override { setString(key_.get(), name, value); }
  void remove(const std::string& slot, const std::string& type) override {
    Key full = openKey(HKEY_CURRENT_USER, msg::kViewersKey, KEY_ALL_ACCESS);
    if (!full) return;
    RegDeleteValueA(full.get(), slot.c_str());
    RegDeleteValueA(full.get(), type.c_str());
  }

 private:
  Key key_;
};

class WindowsOs : public HelperOs {
 public:
  std::string readProfile(const std::string& ini, const char* key) override {
    char buffer[kBuffer] = {};
    GetPrivateProfileStringA(msg::kIniSection, key, "", buffer, sizeof buffer, ini.c_str());
    return buffer;
  }

  bool writeProfile(const std::string& ini, const char* key, const std::string& value) override {
    return WritePrivateProfileStringA(msg::kIniSection, key, value.c_str(), ini.c_str()) != 0;
  }

  long readJreKey(const std::string& subkey, bool readMicro, JreKeyValues& out) override {
    std::string path = std::string(msg::kJreRoot) + '\\' + subkey;
    LONG rc = ERROR_SUCCESS;
    Key key = openKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &rc);
    if (!key) return rc == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : rc;
    if (readMicro) out.micro = readString(key.get(), msg::kMicroVersion, kMicroBuffer);
    out.home = readString(key.get(), msg::kJavaHome, kBuffer);
    return 0;
  }

  std::optional<std::vector<std::string>> jreSubkeys() override {
    Key key = openKey(HKEY_LOCAL_MACHINE, msg::kJreRoot, KEY_READ);
    if (!key) return std::nullopt;
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      char name[kBuffer];
      DWORD size = sizeof name;
      if (RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  bool isRegularFile(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string windowsDirectory() override {
    char buffer[kBuffer];
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
  }

  bool canOpenExclusively(const std::string& path) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  }

  bool hasPendingRenames() override {
    Key key = openKey(HKEY_LOCAL_MACHINE, msg::kSessionManager, KEY_QUERY_VALUE);
    return key && RegQueryValueExA(key.get(), msg::kPendingRenames, nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
  }

  std::unique_ptr<ViewerTable> openViewers(ViewerAccess access) override {
    if (access == ViewerAccess::Remove) {
      Key viewers = openKey(HKEY_CURRENT_USER, msg::kViewersKey, KEY_READ);
      if (!viewers) return nullptr;
      return std::make_unique<WindowsViewers>(std::move(viewers));
    }
    Key navigator = openKey(HKEY_CURRENT_USER, msg::kNavigatorKey, KEY_WRITE);
    if (!navigator) return nullptr;
    const char* viewersName = msg::kViewersKey + std::strlen(msg::kNavigatorKey) + 1;
    HKEY viewers = nullptr;
    char emptyClass[] = "";
    if (RegCreateKeyExA(navigator.get(), viewersName, 0, emptyClass, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &viewers, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WindowsViewers>(Key(viewers));
  }

  bool enumerateProcesses(ProcessVisitor visitor, void* context) override {
    return orlin::enumerateProcesses(visitor, context);
  }

  std::int32_t runAndWait(const std::string& program, const std::string& commandLine) override {
    std::string line = commandLine;  // CreateProcessA may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      return -1;
    }
    Handle thread(process.hThread), child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    if (!GetExitCodeProcess(child.get(), &code)) return -1;
    return static_cast<std::int32_t>(code);
  }

  void sleepMs(unsigned ms) override { Sleep(ms); }
};

// ---- process walks --------------------------------------------------------------

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using TaskEnumProcEx = BOOL(WINAPI*)(DWORD, WORD, WORD, PSZ, PSZ, LPARAM);
using EnumTaskWowExFn = INT(WINAPI*)(DWORD, TaskEnumProcEx, LPARAM);
using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

template <typename Fn>
Fn resolve(HMODULE lib, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

class PsapiProcesses : public NtProcessApi {
 public:
  PsapiProcesses(EnumProcessesFn processes, EnumProcessModulesFn modules, GetModuleFileNameExFn fileName,
                 EnumTaskWowExFn tasks)
      : enumProcesses_(processes), enumModules_(modules), fileName_(fileName), enumTasks_(tasks) {}

  bool enumProcesses(std::uint32_t* ids, std::uint32_t bytes, std::uint32_t& bytesReturned) override {
    DWORD returned = 0;
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    if (!enumProcesses_(reinterpret_cast<DWORD*>(ids), bytes, &returned)) return false;
    bytesReturned = returned;
    return true;
  }

  std::string processFileName(std::uint32_t pid) override {
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!enumModules_(process.get(), &module, sizeof module, &needed)) return {};
    char name[kBuffer];
    DWORD length = fileName_(process.get(), module, name, sizeof name);
    return length == 0 ? std::string() : std::string(name, std::min<DWORD>(length, sizeof name - 1));
  }

  bool enumTasks(std::uint32_t pid, ProcessVisitor visitor, void* context) override {
    TaskWalk walk{pid, visitor, context, false};
    enumTasks_(pid, &PsapiProcesses::onTask, reinterpret_cast<LPARAM>(&walk));
    return !walk.stopped;
  }

 private:
  struct TaskWalk {
    std::uint32_t pid;
    ProcessVisitor visitor;
    void* context;
    bool stopped;
  };
  // VDMDBG's callback answers TRUE to stop the enumeration.
  static BOOL WINAPI onTask(DWORD, WORD, WORD task, PSZ, PSZ fileName, LPARAM data) {
    auto* walk = reinterpret_cast<TaskWalk*>(data);
    walk->stopped = !walk->visitor(walk->pid, task, fileName ? fileName : "", walk->context);
    return walk->stopped ? TRUE : FALSE;
  }

  EnumProcessesFn enumProcesses_;
  EnumProcessModulesFn enumModules_;
  GetModuleFileNameExFn fileName_;
  EnumTaskWowExFn enumTasks_;
};

class Toolhelp : public ToolhelpApi {
 public:
  Toolhelp(SnapshotFn take, ProcessWalkFn firstFn, ProcessWalkFn nextFn)
      : snapshot_(take), first_(firstFn), next_(nextFn) {}

  bool snapshot() override {
    HANDLE h = snapshot_(TH32CS_SNAPPROCESS, 0);
    if (h == INVALID_HANDLE_VALUE || !h) return false;
    handle_.reset(h);
    return true;
  }
  bool first(Entry& entry) override { return step(first_, entry); }
  bool next(Entry& entry) override { return step(next_, entry); }

 private:
  bool step(ProcessWalkFn fn, Entry& entry) {
    PROCESSENTRY32 record{};
    record.dwSize = sizeof record;  // 296 bytes in the 32-bit program
    if (!fn(handle_.get(), &record)) return false;
    entry.pid = record.th32ProcessID;
    entry.name.assign(record.szExeFile, strnlen(record.szExeFile, sizeof record.szExeFile));
    return true;
  }

  SnapshotFn snapshot_;
  ProcessWalkFn first_, next_;
  Handle handle_;
};

#if defined(__i386__)
static_assert(sizeof(PROCESSENTRY32) == 296 && sizeof(OSVERSIONINFOA) == 148);
#endif

bool walkNt(ProcessVisitor visitor, void* context) {
  Library psapi(LoadLibraryA(msg::kPsapiDll));
  if (!psapi) return false;
  Library vdmdbg(LoadLibraryA(msg::kVdmDbgDll));
  if (!vdmdbg) return false;
  auto enumProcesses = resolve<EnumProcessesFn>(psapi.get(), msg::kEnumProcesses);
  auto enumModules = resolve<EnumProcessModulesFn>(psapi.get(), msg::kEnumProcessModules);
  auto fileName = resolve<GetModuleFileNameExFn>(psapi.get(), msg::kGetModuleFileNameEx);
  auto enumTasks = resolve<EnumTaskWowExFn>(vdmdbg.get(), msg::kEnumTasks);
  if (!enumProcesses || !enumModules || !fileName || !enumTasks) return false;
  PsapiProcesses api(enumProcesses, enumModules, fileName, enumTasks);
  return walkNtProcesses(api, visitor, context);
}

bool walk9x(ProcessVisitor visitor, void* context) {
  Library kernel(LoadLibraryA(msg::kKernelDll));
  if (!kernel) return false;
  auto snapshot = resolve<SnapshotFn>(kernel.get(), msg::kSnapshot);
  auto first = resolve<ProcessWalkFn>(kernel.get(), msg::kProcessFirst);
  auto next = resolve<ProcessWalkFn>(kernel.get(), msg::kProcessNext);
  if (!snapshot || !first || !next) return false;
  Toolhelp api(snapshot, first, next);
  return walk9xProcesses(api, visitor, context);
}

}  // namespace

bool enumerateProcesses(ProcessVisitor visitor, void* context) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return false;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: return walkNt(visitor, context);
    case VER_PLATFORM_WIN32_WINDOWS: return walk9x(visitor, context);
    default: return false;
  }
}

std::unique_ptr<HelperOs> makeWindowsOs() { return std::make_unique<WindowsOs>(); }

bool debugSwitchOn() {
  std::vector<std::string> environment;
  char* block = GetEnvironmentStringsA();
  if (!block) return false;
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) environment.emplace_back(entry);
  FreeEnvironmentStringsA(block);
  return definesVariable(environment, msg::kDebugSwitch);
}

}  // namespace orlin
