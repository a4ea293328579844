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

// A new String of the characters that bytes stand for; null (the VM's
// OutOfMemoryError cleared) when the VM has no memory for it.
jstring newStringFromBytes(JNIEnv* env, std::string_view bytes);
// The same for a C string (null stays null).
jstring newStringFromBytes(JNIEnv* env, const char* text);

}  // namespace kiv::utils
