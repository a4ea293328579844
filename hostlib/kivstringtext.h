// A record's text taken out of a Java String as the modified UTF-8 that
// GetStringUTFChars gives, into memory of the calling thread.
//
// Two ways, with the same bytes:
//   - standard JNI: GetStringLength and GetStringRegion into a scratch
//     buffer of UTF-16 units, then the library's own encoder;
//   - the String's own fields (`value`, a byte[], and `coder`, 0 for
//     Latin-1 and 1 for UTF-16 in the platform's byte order), copied with
//     GetByteArrayRegion: fewer and cheaper calls into the VM. Only where a
//     check once per process proves them usable on this runtime: both
//     fields exist, and for test Strings of every kind the coder is 0 or
//     1, the array holds the String's length shifted by the coder, and the
//     bytes made from it equal GetStringUTFChars' exactly. Each call checks
//     the coder and the array's length again and takes the standard way
//     when they do not fit.
// Of the two, the one that is faster on this runtime is taken (timed once,
// on a plain record). KIVWRITEPATH=standard or =fields takes that way
// instead (the latter only where the check passes), for comparisons.
#pragma once

#include <jni.h>

#include <cstddef>
#include <vector>

namespace kiv::utils {

class StringText {
 public:
  // The encoders the fields are read with (replaceable for the check's tests).
  struct Encoders {
    std::size_t (*latin1)(const unsigned char* chars, std::size_t n, char* out);
    std::size_t (*utf16)(const jchar* units, std::size_t n, char* out);
  };
  static Encoders libraryEncoders();

  // The way of this process, decided at the first call (any thread).
  static const StringText& forProcess(JNIEnv* env);
  // The check itself: the fields way when the named fields pass it with
  // these encoders, else the standard way. Any exception is cleared.
  static StringText check(JNIEnv* env, const char* valueField, const char* coderField, Encoders encoders);
  // The standard way alone.
  static StringText standard() { StringText way; way.encoders_ = libraryEncoders(); return way; }
  // Of the fields way (when usable) and the standard way, the one that
  // makes a plain record's text faster here.
  static StringText faster(JNIEnv* env, const StringText& fields);

  bool usesFields() const { return value_ != nullptr; }

  // The modified UTF-8 of s (not null) into the front of out (grown as
  // needed): the bytes made (0 for an empty String). scratch is the
  // caller's, kept between calls.
  long long text(JNIEnv* env, jstring s, std::vector<char>& out, std::vector<jchar>& scratch) const;

 private:
  StringText() = default;

  jfieldID value_ = nullptr;
  jfieldID coder_ = nullptr;
  Encoders encoders_{};
};

}  // namespace kiv::utils
