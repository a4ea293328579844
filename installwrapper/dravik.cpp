// Dravik's checks and main flow (see dravik.h).
#include "dravik.h"

#include "dravikmsg.h"

#include <charconv>

namespace dravik {

namespace {

std::string load(const Strings& strings, unsigned id) { return strings.load(id, kStringCapacity); }

// Appends the service-pack reason, asking for pack `required`.
void appendServicePackReason(std::string& message, const Strings& strings, int required) {
  message += formatNumber(strings.load(IDS_DRAVIK_SERVICE_PACK, kFormatCapacity), required);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Verdict of the operating-system rules: 0 passes, -1 unsupported, n > 0
// asks for service pack n.
int osVerdict(const OsVersion& v) {
  constexpr int kUnsupported = -1;
  if (v.platformId == kPlatformWindows) {
    return (v.major > 4 || (v.major == 4 && v.minor >= 10)) ? 0 : kUnsupported;
  }
  if (v.platformId != kPlatformNt) return kUnsupported;
  if (v.major < 4) return kUnsupported;
  if (v.major > 5) return 0;
  if (v.minor > 0) return 0;  // 4.x with x > 0, and 5.1 and later 5.x
  const int pack = v.servicePack.empty() ? 0 : servicePackNumber(v.servicePack);
  const int required = v.major == 4 ? 5 : 2;
  return pack >= required ? 0 : required;
}

}  // namespace

bool isSilent(std::string_view commandLine) {
  return commandLine.find("-s") != std::string_view::npos || commandLine.find("/s") != std::string_view::npos;
}

bool checkProcessor(const std::optional<std::string>& identifier) {
  return !identifier || !equalsIgnoringCase(*identifier, "ia64");
}

int servicePackNumber(std::string_view text) {
  // As sscanf reads "Service Pack %d": the words literally, the blank between
  // them matching any run of white space (none included), white space before
  // the number, then an optionally signed decimal.
  auto skipSpace = [&](std::size_t i) {
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    return i;
  };
  constexpr std::string_view kService = "Service", kPack = "Pack";
  if (text.substr(0, kService.size()) != kService) return 0;
  std::size_t i = skipSpace(kService.size());
  if (text.substr(i, kPack.size()) != kPack) return 0;
  i = skipSpace(i + kPack.size());
  if (i < text.size() && text[i] == '+') {  // from_chars takes '-' but not '+'
    ++i;
    if (i == text.size() || text[i] < '0' || text[i] > '9') return 0;
  }
  int number = 0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), number);
  return result.ec == std::errc{} ? number : 0;
}

std::string formatNumber(std::string_view format, int number) {
  std::string out;
  out.reserve(format.size() + 12);
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 'd') {
        out += std::to_string(number);
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

bool checkOsVersion(const std::optional<OsVersion>& version, std::string& message, const Strings& strings) {
  const int verdict = version ? osVerdict(*version) : -1;
  if (verdict < 0) {
    message += load(strings, IDS_DRAVIK_OS);
  } else if (verdict > 0) {
    appendServicePackReason(message, strings, verdict);
  }
  return verdict == 0;
}

bool checkMemory(std::uint64_t totalPhysical) {
  return (totalPhysical & ~std::uint64_t{0xFFFFF}) >= kMinimumMemory;
}

std::optional<std::string> setupPathFor(std::string_view ownPath) {
  constexpr std::string_view kSetup = "\\setup.exe";
  const auto cut = ownPath.rfind('\\');
  if (cut == std::string_view::npos) return std::nullopt;
  if (cut + kSetup.size() >= kPathCapacity) return std::nullopt;
  std::string path(ownPath.substr(0, cut));
  path += kSetup;
  return path;
}

int runWrapper(const std::string& commandLine, System& system) {
  const bool silent = isSilent(commandLine);
  const bool administrator = administratorCheck(system.versionForAdminCheck(), [&] { return system.isAdministrator(); });
  const bool processor = checkProcessor(system.processorIdentifier());

  if (administrator && processor) {
    std::string message = load(system, IDS_DRAVIK_WARN_HEADER);
    const bool osPassed = checkOsVersion(system.osVersion(), message, system);
    const bool memoryPassed = checkMemory(system.totalPhysicalMemory());
    if (!memoryPassed) message += load(system, IDS_DRAVIK_MEMORY);
    if (!osPassed || !memoryPassed) {
      message += load(system, IDS_DRAVIK_WARN_TRAILER);
      if (!silent && !system.askToContinue(load(system, IDS_DRAVIK_CAPTION), message)) return kExitRefused;
    }
  } else {
    std::string message = load(system, IDS_DRAVIK_ERROR_HEADER);
    if (!administrator) message += load(system, IDS_DRAVIK_NOT_ADMIN);
    if (!processor) message += load(system, IDS_DRAVIK_PROCESSOR);
    message += load(system, IDS_DRAVIK_ERROR_TRAILER);
    if (!silent) system.showError(load(system, IDS_DRAVIK_CAPTION), message);
    return kExitRefused;
  }

  const auto own = system.ownPath();
  if (!own) return kExitDone;
  const auto setup = setupPathFor(*own);
  if (!setup || !system.startAndWait(*setup, commandLine)) return kExitNoSetup;
  return kExitDone;
}

}  // namespace dravik
