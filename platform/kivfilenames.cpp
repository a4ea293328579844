// File-name rules of the Windows file system, as plain text functions so
// that every platform can test them; kivplatform_win32.cpp applies them.
#include "kivplatform.h"

#include <cctype>

namespace kiv::platform {

namespace {

bool sameLetters(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(upper[i])) return false;
  return true;
}

// The digit of COMn and LPTn: 0-9, and the superscripts one to three that
// Windows counts too (in the ANSI code page or in UTF-8).
bool isPortDigit(std::string_view digit) {
  if (digit.size() == 1) {
    unsigned char c = static_cast<unsigned char>(digit[0]);
    return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
  }
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool isWindowsDeviceName(std::string_view name) {
  // The device is the part before the first dot, blanks at its end dropped:
  // NUL, NUL.DATA and "NUL .X" all open the null device.
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (sameLetters(base, device)) return true;
  if (base.size() < 4) return false;
  std::string_view port = base.substr(0, 3);
  return (sameLetters(port, "COM") || sameLetters(port, "LPT")) && isPortDigit(base.substr(3));
}

bool windowsAltersFileName(std::string_view name) {
  if (name.empty()) return false;
  // Windows drops dots and blanks at the end of a name: "X." is created as "X".
  if (name.back() == '.' || name.back() == ' ') return true;
  return isWindowsDeviceName(name);
}

}  // namespace kiv::platform
