// Dravik, the install wrapper: the checks and the main flow as plain
// functions. Everything the flow needs from Windows goes through `System`;
// dravik_win32.cpp implements it, the unit tests fake it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dravik {

// Exit statuses.
inline constexpr int kExitDone = 0;        // setup ran (its own code is not passed on), or no own path
inline constexpr int kExitNoSetup = 1;     // setup.exe could not be started
inline constexpr int kExitRefused = -3;    // a hard requirement failed, or the user declined

// Buffer sizes of the loaded strings, the own path and the setup path (in
// characters, terminator included).
inline constexpr std::size_t kStringCapacity = 1024;
inline constexpr std::size_t kFormatCapacity = 256;   // the service-pack format
inline constexpr std::size_t kPathCapacity = 1024;

// Platform ids of the version record.
inline constexpr unsigned long kPlatformWindows = 1;  // Windows 95, 98, ME
inline constexpr unsigned long kPlatformNt = 2;

// The least memory recommended, after the low 20 bits of the total are cleared.
inline constexpr std::uint64_t kMinimumMemory = 31ull * 1024 * 1024;

// What the version query reports.
struct OsVersion {
  unsigned long platformId = 0;
  unsigned long major = 0;
  unsigned long minor = 0;
  std::string servicePack;  // e.g. "Service Pack 6a"; may be empty
};

// The string resources, looked up by number.
class Strings {
 public:
  virtual ~Strings() = default;
  // The text of string `id`, cut to fit a buffer of `capacity` characters
  // (terminator included); empty when there is none.
  virtual std::string load(unsigned id, std::size_t capacity) const = 0;
};

// Everything the wrapper asks of the machine and the user.
class System : public Strings {
 public:
  // Version record for the administrator check (extended record, else the
  // basic one); nothing when both queries fail.
  virtual std::optional<OsVersion> versionForAdminCheck() = 0;
  // Whether the process token holds the built-in Administrators group.
  virtual bool isAdministrator() = 0;
  // Value "identifier" of the first processor; nothing when the key or the
  // value cannot be read.
  virtual std::optional<std::string> processorIdentifier() = 0;
  // Version record (basic) for the operating-system check.
  virtual std::optional<OsVersion> osVersion() = 0;
  virtual std::uint64_t totalPhysicalMemory() = 0;
  // Yes/No warning box; true only when the user answered Yes.
  virtual bool askToContinue(const std::string& caption, const std::string& text) = 0;
  // Error box with an OK button.
  virtual void showError(const std::string& caption, const std::string& text) = 0;
  // Full path of the program's own file; nothing when it cannot be had.
  virtual std::optional<std::string> ownPath() = 0;
  // Starts `application` with `commandLine` and waits until it has ended;
  // false when it could not be started.
  virtual bool startAndWait(const std::string& application, const std::string& commandLine) = 0;
};

// True when the command line holds "-s" or "/s" anywhere.
bool isSilent(std::string_view commandLine);

// The administrator check: a failed version query fails; on NT 4 and later
// `isAdministrator` decides (it is called only then); elsewhere it passes.
template <typename IsAdministrator>
bool administratorCheck(const std::optional<OsVersion>& version, IsAdministrator&& isAdministrator) {
  if (!version) return false;
  if (version->platformId == kPlatformNt && version->major >= 4) return isAdministrator();
  return true;
}

// Fails only for the identifier "ia64" (case ignored); nothing read passes.
bool checkProcessor(const std::optional<std::string>& identifier);

// The number of a "Service Pack %d" text; 0 when the text does not match.
int servicePackNumber(std::string_view text);

// `format` with its "%d" replaced by `number` ("%%" gives "%"); any other
// '%' stays as it is, so a damaged translation cannot do harm.
std::string formatNumber(std::string_view format, int number);

// The operating-system check: appends its reason to `message` when it fails.
// No version record counts as an unknown platform.
bool checkOsVersion(const std::optional<OsVersion>& version, std::string& message, const Strings& strings);

// Memory with its low 20 bits cleared must reach 31 MiB.
bool checkMemory(std::uint64_t totalPhysical);

// "<directory of ownPath>\setup.exe" (the path cut at its last backslash);
// nothing when the path holds no backslash or the result would not fit
// kPathCapacity: setup then cannot be started.
std::optional<std::string> setupPathFor(std::string_view ownPath);

// The whole program: checks, messages, launch. Returns the exit status.
int runWrapper(const std::string& commandLine, System& system);

}  // namespace dravik
