// Text rules of the installer helper: numbers, paths, versions, names.
#include <climits>
#include <cstring>

#include "helper.h"
#include "helpermsg.h"

namespace orlin {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Reads the digits at text[pos...] as a number (saturating); pos moves past them.
long long readDigits(std::string_view text, std::size_t& pos) {
  long long value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    if (value < INT_MAX) value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return value;
}

}  // namespace

int parseFunctionNumber(const char* text) {
  if (!text) return 0;
  std::string_view s(text);
  std::size_t pos = 0;
  while (pos < s.size() && (s[pos] == ' ' || (s[pos] >= '\t' && s[pos] <= '\r'))) ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
  long long value = readDigits(s, pos);
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(negative ? -value : value);
}

std::optional<std::string> joinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  if (path.size() > kMaxText) return std::nullopt;
  return path;
}

bool isSupportedJreVersion(std::string_view version) {
  if (version.empty()) return false;
  std::size_t pos = 0;
  long long major = readDigits(version, pos);
  if (major > 1) return true;
  if (major != 1) return false;
  // Minor, then micro: each after a separator of any kind.
  for (long long minimum : {3, 2}) {
    if (pos + 1 >= version.size()) return false;
    ++pos;
    long long number = readDigits(version, pos);
    if (number >= minimum) return true;
    if (minimum == 3 && number != 2) return false;
  }
  return false;
}

bool definesVariable(const std::vector<std::string>& environment, std::string_view name) {
  for (const std::string& entry : environment) {
    // Entries such as "=C:=C:\dir" have an empty name.
    std::size_t eq = entry.find('=', 1);
    if (eq != std::string::npos && equalsIgnoringCase(std::string_view(entry).substr(0, eq), name)) return true;
  }
  return false;
}

bool isBrowserFile(const char* name) {
  if (!name) return false;
  const char* slash = std::strrchr(name, '\\');
  return slash && equalsIgnoringCase(slash + 1, msg::kBrowserFile);
}

bool isDosMachine(const char* name) {
  if (!name) return false;
  std::string_view s(name), suffix(msg::kDosMachine);
  return s.size() >= suffix.size() && equalsIgnoringCase(s.substr(s.size() - suffix.size()), suffix);
}

void Console::debugPrint(std::string_view text) const {
  if (debug && err) std::fwrite(text.data(), 1, text.size(), err);
}

}  // namespace orlin
