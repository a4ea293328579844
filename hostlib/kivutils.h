// The kivutils library's frame: its trace state, the helpers through which
// native methods read and write fields of Java objects, and the standard
// library's error reporting. Everything here takes the JNIEnv it works
// through, so tests drive it with a stand-in environment.
#pragma once

#include <jni.h>

#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <memory>
#include <string>

namespace kiv::utils {

// ---- owned C strings -----------------------------------------------------------

// A heap copy made with strdup, released with free: what GetString and
// getString hand to their caller.
struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};
using CString = std::unique_ptr<char, FreeDeleter>;

// ---- trace ------------------------------------------------------------------------
// The library's own trace state (file, level, time stamps). Lines go through
// kiv::traceLine / kiv::traceLineL (kivtrace.h), which this library defines
// over this state; all of it may be used from any thread.

// Sets the trace file and level. When the file cannot be opened for
// appending, trace is turned off (no file, level 0) and the result is -1;
// else 0. Writes nothing.
int initTrace(const char* path, int level);
// Sets the level; writes "Set trace level" when the old or the new level
// is 8 or more and a file is set.
void setTraceLevel(int level);
// Turns trace off: no file, level 0.
void stopTrace();
int traceLevel();
bool traceActive();
namespace detail {
// The level while a file is set, else 0 (kept with the state, under its lock).
extern std::atomic<int> traceOpenLevel;
}  // namespace detail
// Whether a line gated at threshold would be written now (no lock taken):
// lets a caller skip preparing a line nobody reads.
inline bool traceWanted(int threshold) {
  return detail::traceOpenLevel.load(std::memory_order_relaxed) > threshold;
}
std::string traceFile();

// ---- local references ---------------------------------------------------------------

// Deletes a JNI local reference when it goes out of scope.
template <class T>
class LocalRef {
 public:
  LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
  ~LocalRef() {
    if (ref_) env_->DeleteLocalRef(ref_);
  }
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

 private:
  JNIEnv* env_;
  T ref_;
};

// The class of a Java object (null for a null object).
LocalRef<jclass> classOf(JNIEnv* env, jobject object);

// ---- field helpers ---------------------------------------------------------------------
// Fields are looked up by name on every call. A field the class lacks is
// traced and skipped: getters return 0 (false, null), setters do nothing;
// their own level-9 line is written all the same.

// The instance (isStatic false) or static field ID, or null.
jfieldID getFieldId(JNIEnv* env, jclass cls, const char* name, const char* signature, bool isStatic);

jint getInteger(JNIEnv* env, jobject object, jclass cls, const char* name);
void setInteger(JNIEnv* env, jobject object, jclass cls, const char* name, jint value);
void setStaticInteger(JNIEnv* env, jclass cls, const char* name, jint value);
// 0 or 1.
int getBoolean(JNIEnv* env, jobject object, jclass cls, const char* name);
// Stores true when the low 8 bits of value are not all 0.
void setBoolean(JNIEnv* env, jobject object, jclass cls, const char* name, int value);
jbyte getByte(JNIEnv* env, jobject object, jclass cls, const char* name);
// A copy of the field's text, or null for a null field or a missing field.
CString getString(JNIEnv* env, jobject object, jclass cls, const char* name);
// A null text stores null.
void setString(JNIEnv* env, jobject object, jclass cls, const char* name, const char* text);
void setStaticString(JNIEnv* env, jclass cls, const char* name, const char* text);

// A copy of a Java String's modified UTF-8 text; null (and a level-1 trace
// line) for a null String or when the text cannot be copied.
CString GetString(JNIEnv* env, jstring string);

// ---- standard-library errors ------------------------------------------------------------

// The text that reportErrno stores in "strerror": strerror(err) alone for a
// null or empty text, the text alone when err is 0, else text + ": " +
// strerror(err).
std::string errnoMessage(int err, const char* text);
// Hands errno to the Java side: "errno" and "strerror" of the object, or the
// class's static fields when object is null; traces the message.
void reportErrno(JNIEnv* env, jobject object, jclass cls, const char* text);

}  // namespace kiv::utils
