// Reads what the Dravik tests check in a built Windows program: the PE
// header facts and the string tables of its resources.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace dravik::test {

struct PeImage {
  std::uint16_t machine = 0;     // 0x14c: i386, 0x8664: x86-64
  std::uint16_t magic = 0;       // 0x10b: PE32, 0x20b: PE32+
  std::uint16_t subsystem = 0;   // 2: Windows GUI, 3: console
  // language id -> string id -> text (UTF-8)
  std::map<std::uint16_t, std::map<unsigned, std::string>> strings;
};

// Throws std::runtime_error when the file cannot be read or is malformed.
PeImage readPeImage(const std::string& path);

// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string utf8FromUtf16(const std::u16string& text);

}  // namespace dravik::test
