// Any bytes made into modified UTF-8: the characters of the result, decoded
// as the VM decodes modified UTF-8, must be those that a table of the
// well-formed sequences gives for the input; a valid input stays as it is;
// a prefix never ends inside a character.
#include "kivtext.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// The UTF-16 units the bytes stand for, from the table of well-formed
// sequences (lead byte: the ranges of the bytes that may follow it), with
// modified UTF-8's NUL (C0 80) and surrogates (ED A0..BF xx) allowed; any
// other byte is the unit of its value. Also the length of each character,
// and whether the input is modified UTF-8 as it stands.
std::vector<char16_t> expectedUnits(const std::string& s, std::vector<std::size_t>& lengths, bool& modified) {
  modified = true;
  struct Row {
    unsigned lo, hi;                 // lead bytes
    unsigned n;                      // sequence length
    unsigned secondLo, secondHi;     // range of the second byte
  };
  static const Row rows[] = {
      {0x01, 0x7F, 1, 0, 0},       {0xC0, 0xC0, 2, 0x80, 0x80}, {0xC2, 0xDF, 2, 0x80, 0xBF},
      {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
      {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
  };
  std::vector<char16_t> units;
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(s[i + k])); };
    unsigned n = 0;
    for (const Row& r : rows) {
      if (b(0) < r.lo || b(0) > r.hi) continue;
      bool ok = i + r.n <= s.size();
      for (unsigned k = 1; ok && k < r.n; ++k) {
        unsigned lo = k == 1 ? r.secondLo : 0x80, hi = k == 1 ? r.secondHi : 0xBF;
        ok = b(k) >= lo && b(k) <= hi;
      }
      if (ok) n = r.n;
      break;
    }
    if (n == 0 || n == 4) modified = false;
    if (n == 0) {
      units.push_back(static_cast<char16_t>(b(0)));
      n = 1;
    } else {
      std::uint32_t cp = n == 1 ? b(0) : b(0) & (0x7Fu >> n);
      for (unsigned k = 1; k < n; ++k) cp = (cp << 6) | (b(k) & 0x3F);
      if (cp >= 0x10000) {
        units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<char16_t>(cp));
      }
    }
    lengths.push_back(n);
    i += n;
  }
  return units;
}

// Modified UTF-8 decoded strictly; false when it is not modified UTF-8.
bool decodeModified(const std::string& s, std::vector<char16_t>& units) {
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
      return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto low = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    if (c == 0) return false;
    if (c < 0x80) {
      units.push_back(c);
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && cont(1)) {
      unsigned u = ((c & 0x1Fu) << 6) | low(1);
      if (u != 0 && u < 0x80) return false;
      units.push_back(static_cast<char16_t>(u));
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
      unsigned u = ((c & 0x0Fu) << 12) | (low(1) << 6) | low(2);
      if (u < 0x800) return false;
      units.push_back(static_cast<char16_t>(u));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

// Modified UTF-8 of UTF-16 units, one unit at a time.
std::string unitsByHand(const std::vector<jchar>& units) {
  std::string out;
  for (unsigned u : units) {
    if (u >= 1 && u <= 0x7F) {
      out += static_cast<char>(u);
    } else if (u <= 0x7FF) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  std::vector<std::size_t> lengths;
  bool valid;
  std::vector<char16_t> expected = expectedUnits(in, lengths, valid);
  std::string out = kiv::utils::toModifiedUtf8(in);
  std::vector<char16_t> got;
  check(decodeModified(out, got));
  check(got == expected);
  check(kiv::utils::isModifiedUtf8(out));
  check(kiv::utils::isModifiedUtf8(in) == valid);
  if (valid) check(out == in);
  // The prefix ends where a character ends, and no further character fits.
  std::size_t max = size == 0 ? 0 : data[0] % 16;
  std::size_t prefix = kiv::utils::utf8Prefix(in, max);
  std::size_t at = 0, k = 0;
  while (k < lengths.size() && at + lengths[k] <= max) at += lengths[k++];
  check(prefix == at);

  // The same bytes as a Java String's text: UTF-16 units (pairs of bytes,
  // mostly plain ones so that the encoder's blocks are reached) and Latin-1.
  std::vector<jchar> units;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    units.push_back(static_cast<jchar>(data[i] & 0x80 ? (data[i] << 8) | data[i + 1] : data[i + 1] & 0x7F));
  std::string encoded(3 * units.size(), '\0');
  encoded.resize(kiv::utils::encodeUtf16(units.data(), units.size(), encoded.data()));
  check(encoded == unitsByHand(units));
  std::vector<jchar> latin(data, data + size);
  std::string latinOut(2 * size, '\0');
  latinOut.resize(kiv::utils::encodeLatin1(data, size, latinOut.data()));
  check(latinOut == unitsByHand(latin));
  return 0;
}
