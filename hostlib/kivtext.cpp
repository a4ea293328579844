#include "kivtext.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define KIV_HAVE_SSE2 1  // x86_64 always; i686 only where the build says so
#else
#define KIV_HAVE_SSE2 0
#endif

namespace kiv::utils {
namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// What the sequence at the front of p (n > 0 bytes left) is: its length
// when it is valid modified UTF-8 (1 to 3), 4 for a standard four-byte
// UTF-8 sequence, 0 when its first byte stands for itself.
int sequenceAt(const unsigned char* p, std::size_t n) {
  unsigned char c = p[0];
  if (c >= 0x01 && c <= 0x7F) return 1;
  if (c == 0xC0) return n >= 2 && p[1] == 0x80 ? 2 : 0;  // NUL; other C0/C1 forms are overlong
  if (c >= 0xC2 && c <= 0xDF) return n >= 2 && continuation(p[1]) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (n < 3 || !continuation(p[1]) || !continuation(p[2])) return 0;
    return c == 0xE0 && p[1] < 0xA0 ? 0 : 3;  // surrogates (ED A0..BF) are modified UTF-8's own
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (n < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3])) return 0;
    if (c == 0xF0 && p[1] < 0x90) return 0;  // overlong
    if (c == 0xF4 && p[1] > 0x8F) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

void putThreeBytes(std::string& out, unsigned unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

}  // namespace

// The length of the plain ASCII run (1..127) at the front, eight at a time.
std::size_t plainAsciiLength(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if ((word | ((word - kOnes) & ~word)) & kHigh) break;  // a high bit, or a zero byte
  }
  while (i < n && static_cast<unsigned char>(p[i]) - 1u < 0x7Fu) ++i;
  return i;
}

namespace {

// The length of the plain ASCII run (1..127) of UTF-16 units at the front,
// narrowed into out on the way.
std::size_t narrowAscii(const jchar* units, std::size_t n, char* out) {
  std::size_t i = 0;
#if KIV_HAVE_SSE2
  const __m128i one = _mm_set1_epi16(1);
  const __m128i top = _mm_set1_epi16(0x7E);
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
    __m128i t = _mm_sub_epi16(v, one);  // 1..0x7F become 0..0x7E, all else is outside as a signed unit
    __m128i bad = _mm_or_si128(_mm_cmpgt_epi16(t, top), _mm_cmplt_epi16(t, zero));
    if (_mm_movemask_epi8(bad) != 0) break;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(v, v));
  }
#else
  constexpr std::uint64_t kHigh = 0xFF80FF80FF80FF80u;
  constexpr std::uint64_t kOnes = 0x0001000100010001u;
  constexpr std::uint64_t kSign = 0x8000800080008000u;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t w;
    std::memcpy(&w, units + i, 8);
    if ((w & kHigh) != 0 || ((w - kOnes) & ~w & kSign) != 0) break;  // a unit above 0x7F, or a zero one
    for (std::size_t k = 0; k < 4; ++k) out[i + k] = static_cast<char>(units[i + k]);
  }
#endif
  while (i < n && units[i] - 1u < 0x7Fu) {
    out[i] = static_cast<char>(units[i]);
    ++i;
  }
  return i;
}

}  // namespace

std::size_t encodeUtf16(const jchar* units, std::size_t n, char* out) {
  std::size_t i = narrowAscii(units, n, out);
  char* o = out + i;
  for (; i < n; ++i) {
    unsigned u = units[i];
    if (u - 1u < 0x7Fu) {
      *o++ = static_cast<char>(u);
      std::size_t run = narrowAscii(units + i + 1, n - i - 1, o);  // back to plain text
      o += run;
      i += run;
    } else if (u < 0x800) {
      *o++ = static_cast<char>(0xC0 | (u >> 6));
      *o++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      *o++ = static_cast<char>(0xE0 | (u >> 12));
      *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return static_cast<std::size_t>(o - out);
}

std::size_t encodeLatin1(const unsigned char* chars, std::size_t n, char* out) {
  std::size_t i = plainAsciiLength(reinterpret_cast<const char*>(chars), n);
  if (reinterpret_cast<const unsigned char*>(out) != chars) std::memcpy(out, chars, i);
  char* o = out + i;
  for (; i < n; ++i) {
    unsigned c = chars[i];
    if (c - 1u < 0x7Fu) {
      *o++ = static_cast<char>(c);
    } else {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return static_cast<std::size_t>(o - out);
}

bool isModifiedUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  std::size_t i = plainAsciiLength(bytes.data(), n);
  while (i < n) {
    int len = sequenceAt(p + i, n - i);
    if (len == 0 || len == 4) return false;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

std::string toModifiedUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  std::string out;
  out.reserve(n + n / 2);
  std::size_t i = 0;
  while (i < n) {
    int len = sequenceAt(p + i, n - i);
    if (len == 4) {
      std::uint32_t cp = (static_cast<std::uint32_t>(p[i] & 0x07) << 18) |
                         (static_cast<std::uint32_t>(p[i + 1] & 0x3F) << 12) |
                         (static_cast<std::uint32_t>(p[i + 2] & 0x3F) << 6) | (p[i + 3] & 0x3Fu);
      cp -= 0x10000;
      putThreeBytes(out, 0xD800 | (cp >> 10));
      putThreeBytes(out, 0xDC00 | (cp & 0x3FF));
    } else if (len > 0) {
      out.append(bytes.data() + i, static_cast<std::size_t>(len));
    } else {
      // The byte stands for the character of its value: U+0000..U+00FF in two bytes.
      unsigned c = p[i];
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
      len = 1;
    }
    i += static_cast<std::size_t>(len);
  }
  return out;
}

std::size_t utf8Prefix(std::string_view text, std::size_t maxBytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    int len = sequenceAt(p + i, n - i);
    std::size_t step = len == 0 ? 1 : static_cast<std::size_t>(len);
    if (i + step > maxBytes) break;
    i += step;
  }
  return i;
}

jstring newStringFromBytes(JNIEnv* env, std::string_view bytes) {
  jstring result;
  if (isModifiedUtf8(bytes)) {
    std::string text(bytes);  // NewStringUTF wants the NUL at the end
    result = env->NewStringUTF(text.c_str());
  } else {
    result = env->NewStringUTF(toModifiedUtf8(bytes).c_str());
  }
  if (!result && env->ExceptionCheck()) env->ExceptionClear();
  return result;
}

jstring newStringFromBytes(JNIEnv* env, const char* text) {
  if (!text) return nullptr;
  std::string_view bytes(text);
  if (isModifiedUtf8(bytes)) {
    jstring result = env->NewStringUTF(text);
    if (!result && env->ExceptionCheck()) env->ExceptionClear();
    return result;
  }
  return newStringFromBytes(env, bytes);
}

}  // namespace kiv::utils
