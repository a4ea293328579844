// Installed Java runtimes, the launcher's configuration file orlin.cfg, the
// runtime installer's response file and the pending-reboot test.
#include <algorithm>
#include <cstring>

#include "helper.h"
#include "helpermsg.h"

namespace orlin {
namespace {

// Status of a runtime subkey that opened but is not usable.
constexpr long kNotUsable = 10;

}  // namespace

long lookupJreKey(HelperOs& os, const std::string& subkey, std::string& fullVersion, std::string& home) {
  bool readMicro = std::count(subkey.begin(), subkey.end(), '.') < 2;
  JreKeyValues values;
  if (long rc = os.readJreKey(subkey, readMicro, values); rc != 0) return rc;
  if (!values.home.present()) return kNotUsable;
  const std::string& dir = values.home.text;
  std::string javaw = dir.back() == '\\' ? dir + msg::kJavaw : dir + '\\' + msg::kJavaw;
  if (!os.isRegularFile(javaw)) return kNotUsable;
  fullVersion = subkey;
  if (readMicro && values.micro.present()) fullVersion += '.' + values.micro.text;
  home = dir;
  return 0;
}

std::optional<std::string> findJre(HelperOs& os, const std::string& version, bool exactVersion) {
  if (version.empty()) return std::nullopt;
  std::string full, home;
  if (lookupJreKey(os, version, full, home) == 0 && (!exactVersion || full == version)) return home;
  // 1.3.1 may also be a subkey 1.3 with MicroVersion 1.
  if (std::count(version.begin(), version.end(), '.') >= 2) {
    std::string parent = version.substr(0, version.rfind('.'));
    if (lookupJreKey(os, parent, full, home) == 0 && full == version) return home;
  }
  return std::nullopt;
}

void writeEscapedPath(std::FILE* file, std::string_view path) {
  for (char c : path) {
    if (c == '\\') std::fputc('\\', file);
    std::fputc(c, file);
  }
}

void writeConfigEntry(std::FILE* file, int entry, const std::string& platform, const std::string& product,
                      const std::string& home) {
  std::fprintf(file, msg::kCfgPlatform, entry, platform.c_str());
  std::fprintf(file, msg::kCfgProduct, entry, product.c_str());
  std::fprintf(file, msg::kCfgPath, entry);
  writeEscapedPath(file, home);
  if (!home.empty() && home.back() != '\\') std::fputs(msg::kCfgSeparator, file);
  std::fputs(msg::kCfgJavaw, file);
  std::fflush(file);
}

void writeLauncherConfig(HelperOs& os, const std::string& path, const std::string& wantedVersion,
                         const std::string& fallbackHome) {
  File file(std::fopen(path.c_str(), "w"));
  if (!file) return;
  int entries = 0;
  int defaultEntry = -1;
  if (auto subkeys = os.jreSubkeys()) {
    for (const std::string& name : *subkeys) {
      std::string full, home;
      if (lookupJreKey(os, name, full, home) != 0 || !isSupportedJreVersion(full)) continue;
      writeConfigEntry(file.get(), entries, full, full, home);
      if (defaultEntry < 0 && name == wantedVersion) defaultEntry = entries;
      ++entries;
    }
  }
  if (entries == 0) writeConfigEntry(file.get(), 0, wantedVersion, wantedVersion, fallbackHome);
  std::fprintf(file.get(), msg::kCfgDefault, defaultEntry < 0 ? 0 : defaultEntry);
}

namespace {

// The next piece of the template: up to and including a line end, at most
// kMaxText bytes. Every byte counts, NUL and 0x1A too. Empty at the end or
// on a read error.
std::string readPiece(std::FILE* in) {
  std::string piece;
  while (piece.size() < kMaxText) {
    const int c = std::getc(in);
    if (c == EOF) break;
    piece += static_cast<char>(c);
    if (c == '\n') break;
  }
  return piece;
}

}  // namespace

int makeResponseFile(const std::string& templatePath, const std::string& replacement) {
  // Both files are binary: bytes without a marker are copied as they are
  // (line ends, NUL and 0x1A bytes included).
  File in(std::fopen(templatePath.c_str(), "rb"));
  if (!in) return 1;
  // The original's buffers: the template path and "2" must leave room to spare.
  if (templatePath.size() >= kMaxText - 1) return 1;
  File out(std::fopen((templatePath + msg::kResponseSuffix).c_str(), "wb"));
  if (!out) return 1;
  const std::string_view marker(msg::kResponseMarker);
  for (std::string piece = readPiece(in.get()); !piece.empty(); piece = readPiece(in.get())) {
    const std::string_view text(piece);
    const std::size_t at = text.find(marker);
    std::string_view before = text, rest;
    if (at != std::string_view::npos) {
      before = text.substr(0, at);
      rest = text.substr(at + marker.size());
    }
    std::fwrite(before.data(), 1, before.size(), out.get());
    if (at != std::string_view::npos) std::fwrite(replacement.data(), 1, replacement.size(), out.get());
    std::fwrite(rest.data(), 1, rest.size(), out.get());
  }
  // A response file that lost data is a failure, not a success.
  bool failed = std::ferror(in.get()) || std::ferror(out.get());
  if (std::fclose(out.release()) != 0) failed = true;
  return failed ? 1 : 0;
}

bool isRebootPending(HelperOs& os) {
  std::string dir = os.windowsDirectory();
  if (!dir.empty() && dir.size() + std::strlen(msg::kWinInit) <= kMaxText &&
      os.canOpenExclusively(dir + msg::kWinInit)) {
    return true;
  }
  return os.hasPendingRenames();
}

}  // namespace orlin
