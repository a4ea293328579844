// The three string properties of the isInstalled control and their stored
// form for stream and storage persistence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantor {

// A property is absent (never set, or set to a null string) or holds a text,
// possibly empty.
struct Properties {
  std::optional<std::u16string> app;
  std::optional<std::u16string> dbg;
  std::optional<std::u16string> back;
};

struct PropertyInfo {
  const char16_t* name;
  long dispid;
  std::optional<std::u16string> Properties::*member;
};

// The persisted properties, in their order.
extern const std::array<PropertyInfo, 3> kPropertyTable;

// Stored form: the 8-byte header ("VNT1" and the body size, little-endian),
// then the body: the number of entries and, for each present property, its
// name and its value as counted UTF-16 texts. Absent properties are left out.
inline constexpr std::size_t kStoredHeaderSize = 8;
inline constexpr std::uint32_t kMaxStoredBody = 1u << 20;

// The whole stored form; nullopt when the body would exceed kMaxStoredBody.
std::optional<std::vector<std::uint8_t>> storeProperties(const Properties& props);

// The body size announced by a header; nullopt for a header that is not ours
// or announces more than kMaxStoredBody bytes.
std::optional<std::uint32_t> storedBodySize(std::span<const std::uint8_t, kStoredHeaderSize> header);

// Reads a body. Properties it names are set, the others become absent,
// unknown names are skipped. Malformed input returns false and leaves
// `props` unchanged.
bool loadStoredBody(std::span<const std::uint8_t> body, Properties& props);

}  // namespace vantor
