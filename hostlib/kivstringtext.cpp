#include "kivstringtext.h"

#include "kivlock.h"
#include "kivtext.h"
#include "kivutils.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace kiv::utils {
namespace {

constexpr const char* kStringClass = "java/lang/String";
constexpr const char* kValueField = "value";
constexpr const char* kValueSignature = "[B";
constexpr const char* kCoderField = "coder";
constexpr const char* kCoderSignature = "B";
constexpr const char* kWayVariable = "KIVWRITEPATH";
constexpr const char* kStandardWay = "standard";
constexpr const char* kFieldsWay = "fields";

// A frame for the local references that one round of a loop makes.
class LocalFrame {
 public:
  explicit LocalFrame(JNIEnv* env) : env_(env), pushed_(env->PushLocalFrame(4) == 0) {}
  ~LocalFrame() {
    if (pushed_) env_->PopLocalFrame(nullptr);
  }
  LocalFrame(const LocalFrame&) = delete;
  LocalFrame& operator=(const LocalFrame&) = delete;

 private:
  JNIEnv* env_;
  bool pushed_;
};

// The modified UTF-8 of n UTF-16 units in scratch, into room that reserve(n) gives.
template <class Reserve>
long long encodeUnits(const jchar* units, std::size_t n, Reserve& reserve,
                 std::size_t (*encoder)(const jchar*, std::size_t, char*)) {
  if (n > SIZE_MAX / 3) throw std::bad_alloc();  // no room can be that large
  char* room = reserve(3 * n);
  if (!room) return -1;
  return static_cast<long long>(encoder(units, n, room));
}

// The text of s through standard JNI.
template <class Reserve>
long long standardText(JNIEnv* env, jstring s, Reserve& reserve, std::vector<jchar>& scratch,
                  std::size_t (*encoder)(const jchar*, std::size_t, char*)) {
  auto n = static_cast<std::size_t>(env->GetStringLength(s));
  if (n == 0) return 0;
  if (scratch.size() < n) scratch.resize(n);
  env->GetStringRegion(s, 0, static_cast<jsize>(n), scratch.data());
  return encodeUnits(scratch.data(), n, reserve, encoder);
}

// The text of s through its own fields; -2 when this String does not fit
// them (the caller takes the standard way).
template <class Reserve>
long long fieldText(JNIEnv* env, jstring s, jfieldID valueId, jfieldID coderId, const StringText::Encoders& enc,
               Reserve& reserve, std::vector<jchar>& scratch) {
  jbyte coder = env->GetByteField(s, coderId);
  if (coder != 0 && coder != 1) return -2;
  // One local reference, let go when the native method returns (callers
  // that loop make a local frame of their own).
  auto value = static_cast<jbyteArray>(env->GetObjectField(s, valueId));
  if (!value) return -2;
  auto bytes = static_cast<std::size_t>(env->GetArrayLength(value));
  if (coder == 1 && (bytes & 1) != 0) return -2;
  std::size_t n = bytes >> coder;
  if (n == 0) return 0;
  if (coder == 1) {
    if (scratch.size() < n) scratch.resize(n);
    env->GetByteArrayRegion(value, 0, static_cast<jsize>(bytes), reinterpret_cast<jbyte*>(scratch.data()));
    return encodeUnits(scratch.data(), n, reserve, enc.utf16);
  }
  // Latin-1: plain ASCII is its own modified UTF-8, so the characters go
  // straight where they belong; the rest is encoded from a copy.
  char* room = reserve(2 * n);
  if (!room) return -1;
  env->GetByteArrayRegion(value, 0, static_cast<jsize>(n), reinterpret_cast<jbyte*>(room));
  std::size_t plain = plainAsciiLength(room, n);
  if (plain == n) return static_cast<long long>(n);
  std::size_t rest = n - plain;
  std::size_t units = (rest + 1) / 2;  // the scratch holds bytes here
  if (scratch.size() < units) scratch.resize(units);
  auto* copy = reinterpret_cast<unsigned char*>(scratch.data());
  std::memcpy(copy, room + plain, rest);
  return static_cast<long long>(plain + enc.latin1(copy, rest, room + plain));
}

// A String of the given UTF-16 units (a local reference), or null.
jstring makeString(JNIEnv* env, const std::u16string& units) {
  return env->NewString(reinterpret_cast<const jchar*>(units.data()), static_cast<jsize>(units.size()));
}

// The Strings the check makes its test with: every kind of character, in
// Strings the VM keeps as Latin-1 and as UTF-16.
std::vector<std::u16string> checkTexts() {
  std::vector<std::u16string> texts = {
      u"", u"A", u"plain record\n", u"\u00e9t\u00e9 \u00ff\u0080", std::u16string(u"nul \0 inside", 12),
      u"euro \u20ac", u"\u07ff\u0800\uffff", u"pair \U0001F600 end", u"lone \xd800 high", u"lone \xdfff low",
      u"\xdc00\xd800 reversed",
  };
  std::u16string mixed;
  for (int i = 0; i < 5000; ++i) mixed += texts[static_cast<std::size_t>(i % texts.size())];
  texts.push_back(mixed);
  texts.push_back(std::u16string(70000, u'x') + u"\u00e9");
  return texts;
}

}  // namespace

StringText::Encoders StringText::libraryEncoders() { return {encodeLatin1, encodeUtf16}; }

StringText StringText::check(JNIEnv* env, const char* valueField, const char* coderField, Encoders encoders) {
  StringText refused;
  LocalRef<jclass> cls(env, env->FindClass(kStringClass));
  jfieldID value = cls ? env->GetFieldID(cls.get(), valueField, kValueSignature) : nullptr;
  if (env->ExceptionCheck()) env->ExceptionClear();
  jfieldID coder = cls && value ? env->GetFieldID(cls.get(), coderField, kCoderSignature) : nullptr;
  if (env->ExceptionCheck()) env->ExceptionClear();
  if (!value || !coder) return refused;

  std::vector<char> got;
  std::vector<jchar> scratch;
  auto reserve = [&](std::size_t n) {
    got.resize(n);
    return got.data();
  };
  for (const std::u16string& text : checkTexts()) {
    LocalFrame frame(env);
    LocalRef<jstring> s(env, makeString(env, text));
    if (!s) {
      if (env->ExceptionCheck()) env->ExceptionClear();
      return refused;
    }
    jbyte c = env->GetByteField(s.get(), coder);
    LocalRef<jbyteArray> array(env, static_cast<jbyteArray>(env->GetObjectField(s.get(), value)));
    jsize length = env->GetStringLength(s.get());
    if ((c != 0 && c != 1) || !array || env->GetArrayLength(array.get()) != (length << c)) return refused;
    long long n = fieldText(env, s.get(), value, coder, encoders, reserve, scratch);
    const char* utf = env->GetStringUTFChars(s.get(), nullptr);
    if (!utf) {
      if (env->ExceptionCheck()) env->ExceptionClear();
      return refused;
    }
    bool same = n >= 0 && static_cast<std::size_t>(n) == std::strlen(utf) &&
                (n == 0 || std::memcmp(got.data(), utf, static_cast<std::size_t>(n)) == 0);
    env->ReleaseStringUTFChars(s.get(), utf);
    if (!same) return refused;
  }
  StringText fields;
  fields.value_ = value;
  fields.coder_ = coder;
  fields.encoders_ = encoders;
  return fields;
}

namespace {

// Nanoseconds of the fastest of a few batches of record texts made the
// given way from one plain 80-character String.
long long fastestBatch(JNIEnv* env, jstring s, const StringText& way) {
  std::vector<char> out;
  std::vector<jchar> scratch;
  long long best = -1;
  for (int batch = 0; batch < 5; ++batch) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
      LocalFrame frame(env);
      way.text(env, s, out, scratch);
    }
    long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (best < 0 || ns < best) best = ns;
  }
  return best;
}

}  // namespace

StringText StringText::faster(JNIEnv* env, const StringText& fields) {
  if (!fields.usesFields()) return standard();
  LocalRef<jstring> s(env, makeString(env, u"0123456789012345678901234567890123456789"
                                           u"012345678901234567890123456789012345678\n"));
  if (!s) {
    if (env->ExceptionCheck()) env->ExceptionClear();
    return fields;
  }
  // Which way is cheaper depends on the runtime: some widen a Latin-1
  // String slowly in GetStringRegion, others have the cheaper calls.
  long long viaFields = fastestBatch(env, s.get(), fields);
  long long viaStandard = fastestBatch(env, s.get(), standard());
  return viaStandard < viaFields ? standard() : fields;
}

const StringText& StringText::forProcess(JNIEnv* env) {
  static platform::Mutex lock;
  static StringText way;
  static std::atomic<bool> decided{false};
  if (!decided.load(std::memory_order_acquire)) {
    std::lock_guard guard(lock);
    if (!decided.load(std::memory_order_relaxed)) {
      // KIVWRITEPATH: "standard" or "fields" (where the check passes) instead
      // of the faster of the two.
      const char* wanted = std::getenv(kWayVariable);
      if (wanted && std::strcmp(wanted, kStandardWay) == 0) {
        way = standard();
      } else {
        way = check(env, kValueField, kCoderField, libraryEncoders());
        if (!(wanted && std::strcmp(wanted, kFieldsWay) == 0)) way = faster(env, way);
      }
      if (!way.usesFields()) way.encoders_ = libraryEncoders();
      decided.store(true, std::memory_order_release);
    }
  }
  return way;
}

long long StringText::text(JNIEnv* env, jstring s, std::vector<char>& out, std::vector<jchar>& scratch) const {
  auto reserve = [&](std::size_t n) {
    if (out.size() < n) out.resize(n);
    return out.data();
  };
  long long n = value_ ? fieldText(env, s, value_, coder_, encoders_, reserve, scratch) : -2;
  if (n == -2) n = standardText(env, s, reserve, scratch, encoders_.utf16 ? encoders_.utf16 : encodeUtf16);
  return n;
}

}  // namespace kiv::utils
