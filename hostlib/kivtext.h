// Strings made from bytes that did not come from Java: file records, the
// environment, the C library's error texts, file names.
//
// The VM makes Strings from modified UTF-8 only, and HotSpot silently drops
// the end of a text it cannot decode. These bytes are therefore read as:
//   - every valid modified UTF-8 sequence as the character it encodes (so
//     whatever a String gave out reads back as that String: NUL as C0 80,
//     each surrogate on its own in three bytes);
//   - a standard four-byte UTF-8 sequence as its character (a surrogate pair);
//   - every other byte as the character of the same value (U+0001..U+00FF;
//     a NUL byte as U+0000).
// The result is always valid modified UTF-8, and equal to the input when the
// input was valid already.
#pragma once

#include <jni.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kiv::utils {

// Whether bytes are valid modified UTF-8 as a whole (no NUL byte).
bool isModifiedUtf8(std::string_view bytes);

// The modified UTF-8 of the characters that bytes stand for (see above).
std::string toModifiedUtf8(std::string_view bytes);

// The longest prefix of text that is at most maxBytes long and does not end
// inside a UTF-8 sequence (one that is complete within text).
std::size_t utf8Prefix(std::string_view text, std::size_t maxBytes);

// ---- Java text out: what GetStringUTFChars gives -----------------------------
// Modified UTF-8: U+0001..U+007F in one byte; U+0000 and U+0080..U+07FF in
// two; the rest in three, each surrogate on its own. No NUL byte ever.

// Encodes n UTF-16 units into out (room for 3 * n bytes); the bytes written.
std::size_t encodeUtf16(const jchar* units, std::size_t n, char* out);
// Encodes n Latin-1 characters (one byte each) into out (room for 2 * n
// bytes); the bytes written. out may be the same as the input only when
// every character is plain ASCII (see plainAsciiLength).
std::size_t encodeLatin1(const unsigned char* chars, std::size_t n, char* out);
// How many characters at the front of text are in U+0001..U+007F.
std::size_t plainAsciiLength(const char* text, std::size_t n);

// A new String of the characters that bytes stand for; null (the VM's
// OutOfMemoryError cleared) when the VM has no memory for it.
jstring newStringFromBytes(JNIEnv* env, std::string_view bytes);
// The same for a C string (null stays null).
jstring newStringFromBytes(JNIEnv* env, const char* text);

}  // namespace kiv::utils
