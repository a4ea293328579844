// The installer helper's logic. Everything here is plain C++ that builds on
// any system; what it needs of Windows (profile strings, registry, files,
// processes) comes through the interfaces below, which helper_win32.cpp
// implements with the Win32 calls and the unit tests with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlin {

// Size of the path and value buffers of the installation programs; a text
// must leave room for the terminating NUL.
inline constexpr std::size_t kBuffer = 260;
inline constexpr std::size_t kMaxText = kBuffer - 1;
// Buffer of the MicroVersion registry value.
inline constexpr std::size_t kMicroBuffer = 16;
// Slots TYPE0 ... TYPE99 of Navigator's viewer table.
inline constexpr int kViewerSlots = 100;

// A C stream closed when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// ---- text rules ---------------------------------------------------------------

// The function number: leading blanks, one sign, digits up to the first
// non-digit (none: 0); values beyond the int range saturate.
int parseFunctionNumber(const char* text);
// dir, one backslash unless dir ends in one, name; none when the result
// does not fit a path buffer.
std::optional<std::string> joinPath(std::string_view dir, std::string_view name);
// True for runtime versions from 1.2.2 on.
bool isSupportedJreVersion(std::string_view version);
// True when the environment (entries "NAME=value") defines name, compared
// without regard to case, with any value including an empty one.
bool definesVariable(const std::vector<std::string>& environment, std::string_view name);
// True when the part after the last backslash of a full path is netscape.exe.
bool isBrowserFile(const char* name);
// True when name ends in NTVDM.EXE (case ignored).
bool isDosMachine(const char* name);

// ---- what the helper asks of the system ---------------------------------------

// A registry string read into a fixed buffer.
struct RegText {
  enum class State { Missing, WrongType, TooLong, Ok };
  State state = State::Missing;
  std::string text;
  bool present() const { return state == State::Ok && !text.empty(); }
};

struct JreKeyValues {
  RegText micro;  // read only when asked for
  RegText home;
};

// The Viewers key of Netscape Navigator, opened for registration or removal.
class ViewerTable {
 public:
  virtual ~ViewerTable() = default;
  // A string value that fits 260 bytes; none when missing or longer.
  virtual std::optional<std::string> read(const std::string& name) = 0;
  virtual void write(const std::string& name, const std::string& value) = 0;
  // Opens the key with full access and deletes both values.
  virtual void remove(const std::string& slot, const std::string& type) = 0;
};

enum class ViewerAccess { Register, Remove };

// Called for each process or 16-bit task: process id, task handle (0 for a
// process), executable file name (possibly empty), context. Answers true to
// go on, false to stop the walk.
using ProcessVisitor = bool (*)(std::uint32_t pid, std::uint16_t task, const char* name, void* context);

class HelperOs {
 public:
  virtual ~HelperOs() = default;
  // Key of section foo of the INI; empty when missing; cut to 259 characters.
  virtual std::string readProfile(const std::string& ini, const char* key) = 0;
  virtual bool writeProfile(const std::string& ini, const char* key, const std::string& value) = 0;
  // Opens runtime subkey for reading: 0 or the registry's error code.
  virtual long readJreKey(const std::string& subkey, bool readMicro, JreKeyValues& out) = 0;
  // The runtime key's subkey names in index order; none when it cannot be opened.
  virtual std::optional<std::vector<std::string>> jreSubkeys() = 0;
  virtual bool isRegularFile(const std::string& path) = 0;
  // Empty when it cannot be had.
  virtual std::string windowsDirectory() = 0;
  // Opens an existing file for reading without sharing.
  virtual bool canOpenExclusively(const std::string& path) = 0;
  // PendingFileRenameOperations under the Session Manager key.
  virtual bool hasPendingRenames() = 0;
  // None when Navigator's key (registration) or its Viewers key cannot be opened.
  virtual std::unique_ptr<ViewerTable> openViewers(ViewerAccess access) = 0;
  // True when the walk ran.
  virtual bool enumerateProcesses(ProcessVisitor visitor, void* context) = 0;
  // Starts program with the command line and waits: its exit code, or -1
  // when it could not be started.
  virtual std::int32_t runAndWait(const std::string& program, const std::string& commandLine) = 0;
  virtual void sleepMs(unsigned ms) = 0;
};

// Standard output and error of a run, with the debug switch.
struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool debug = false;
  void debugPrint(std::string_view text) const;
};

// ---- runtime discovery and launcher configuration -------------------------------

// 0 with the full version and home directory; the registry's error code when
// the subkey cannot be opened; 10 when it is not usable.
long lookupJreKey(HelperOs& os, const std::string& subkey, std::string& fullVersion, std::string& home);
std::optional<std::string> findJre(HelperOs& os, const std::string& version, bool exactVersion);
void writeEscapedPath(std::FILE* file, std::string_view path);
void writeConfigEntry(std::FILE* file, int entry, const std::string& platform, const std::string& product,
                      const std::string& home);
void writeLauncherConfig(HelperOs& os, const std::string& path, const std::string& wantedVersion,
                         const std::string& fallbackHome);
// 0 when template path + "2" was written, 1 otherwise.
int makeResponseFile(const std::string& templatePath, const std::string& replacement);
bool isRebootPending(HelperOs& os);

// ---- browser registration and process detection ---------------------------------

void registerJnlpViewer(HelperOs& os, const std::string& launcherPath);
void unregisterJnlpViewer(HelperOs& os);
bool isBrowserRunning(HelperOs& os);

// The process walk of the NT family over PSAPI and VDMDBG.
class NtProcessApi {
 public:
  virtual ~NtProcessApi() = default;
  virtual bool enumProcesses(std::uint32_t* ids, std::uint32_t bytes, std::uint32_t& bytesReturned) = 0;
  // File name of the process's first module; empty when it cannot be had.
  virtual std::string processFileName(std::uint32_t pid) = 0;
  // Visits the 16-bit tasks of a virtual DOS machine; false when the
  // visitor stopped the walk.
  virtual bool enumTasks(std::uint32_t pid, ProcessVisitor visitor, void* context) = 0;
};
bool walkNtProcesses(NtProcessApi& api, ProcessVisitor visitor, void* context);

// The process walk of the 9x family over tool help.
class ToolhelpApi {
 public:
  struct Entry {
    std::uint32_t pid = 0;
    std::string name;
  };
  virtual ~ToolhelpApi() = default;
  virtual bool snapshot() = 0;
  virtual bool first(Entry& entry) = 0;
  virtual bool next(Entry& entry) = 0;
};
bool walk9xProcesses(ToolhelpApi& api, ProcessVisitor visitor, void* context);

// ---- the numbered functions -------------------------------------------------------

inline constexpr int kExitBadCall = -1;

// installJre: 1 when a runtime home directory resulted, 0 otherwise.
int installJre(HelperOs& os, const Console& console, const std::string& jreDir, const std::string& version,
               const std::string& workDir);
std::optional<std::string> runJreInstaller(HelperOs& os, const Console& console, const std::string& jreDir,
                                           const std::string& workDir);
// The program: args are the arguments after the program name; returns the
// exit status.
int runHelper(HelperOs& os, const Console& console, const std::vector<std::string>& args);

// Runs the program's body: whatever it throws ends the run with status -1,
// never with a crash code the script could take for an answer.
template <class Body>
int runGuarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return kExitBadCall;
  }
}

}  // namespace orlin
