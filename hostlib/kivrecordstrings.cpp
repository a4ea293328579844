#include "kivrecordstrings.h"

#include "kivlock.h"
#include "kivrecordstrings_class.h"
#include "kivutils.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

namespace kiv::utils {

namespace {

// Whether every character of [p, p + n) is in 1..127; eight at a time.
bool plainAscii(const char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  std::uint64_t bad = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    bad |= (word | ((word - kOnes) & ~word)) & kHigh;  // a high bit, or a zero byte
  }
  for (; i < n; ++i) {
    auto c = static_cast<unsigned char>(p[i]);
    bad |= (c == 0) | (c >> 7);
  }
  return bad == 0;
}

}  // namespace

std::vector<jint> plainRecordEnds(std::string_view text, std::size_t maxChars, std::size_t maxBytes) {
  std::vector<jint> ends;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t look = std::min(text.size() - start, maxChars);
    const void* lineEnd = std::memchr(text.data() + start, '\n', look);
    if (!lineEnd) break;
    std::size_t end = static_cast<std::size_t>(static_cast<const char*>(lineEnd) - text.data()) + 1;
    if (end > maxBytes || !plainAscii(text.data() + start, end - start)) break;
    ends.push_back(static_cast<jint>(end));
    start = end;
  }
  return ends;
}

namespace {

// The class file's own names (see hostlib/java).
constexpr const char* kClassName = "com/zov/kiv/utils/KivRecordStrings";
constexpr const char* kSplit = "split";
constexpr const char* kSplitSignature = "([B[II)[Ljava/lang/String;";

// The library's class in the VM, defined once per process.
struct StringsClass {
  platform::Mutex lock;
  std::atomic<bool> refused{false};  // tried, and the VM would not have it
  bool tried = false;
  jclass cls = nullptr;  // a global reference
  jmethodID split = nullptr;
};

StringsClass& stringsClass() {
  static StringsClass state;
  return state;
}

// The class and its method, or false when the VM cannot have them (then
// never asked again). Whatever the VM throws meanwhile is cleared.
bool splitMethod(JNIEnv* env, jclass& cls, jmethodID& split) {
  StringsClass& state = stringsClass();
  std::lock_guard lock(state.lock);
  if (!state.tried) {
    state.tried = true;
    // The bootstrap loader: the class needs nothing but java.lang, and no
    // application class can stand in for it.
    jclass local = env->DefineClass(kClassName, nullptr,
                                    reinterpret_cast<const jbyte*>(kKivRecordStringsClass),
                                    static_cast<jsize>(sizeof kKivRecordStringsClass));
    if (!local) {
      // Defined before (by another copy of the library)?
      env->ExceptionClear();
      local = env->FindClass(kClassName);
    }
    if (local) {
      jmethodID id = env->GetStaticMethodID(local, kSplit, kSplitSignature);
      if (id) {
        state.cls = static_cast<jclass>(env->NewGlobalRef(local));
        state.split = state.cls ? id : nullptr;
      }
      env->DeleteLocalRef(local);
    }
    if (env->ExceptionCheck()) env->ExceptionClear();
    state.refused.store(state.split == nullptr, std::memory_order_release);
  }
  cls = state.cls;
  split = state.split;
  return split != nullptr;
}

}  // namespace

namespace {

// array, grown to hold at least `size` elements: a new array when it had to
// grow (the old one is let go). False when the VM has no memory.
template <class A, class New>
bool ensureArray(JNIEnv* env, GlobalRef& array, jsize& capacity, jsize size, New newArray) {
  if (array && capacity >= size) return true;
  jsize want = std::max(size, capacity > INT_MAX / 2 ? INT_MAX : capacity * 2);
  LocalRef<A> local(env, (env->*newArray)(want));
  if (!local) return false;
  GlobalRef global = GlobalRef::strong(env, local.get());
  if (!global) return false;
  array = std::move(global);
  capacity = want;
  return true;
}

}  // namespace

bool recordStringsRefused() { return stringsClass().refused.load(std::memory_order_acquire); }

GlobalRef makeRecordStrings(JNIEnv* env, RunArrays& arrays, std::string_view text, const std::vector<jint>& ends) {
  jclass cls;
  jmethodID split;
  if (ends.empty() || !splitMethod(env, cls, split)) return {};
  auto size = static_cast<jsize>(ends.back());
  auto count = static_cast<jsize>(ends.size());
  GlobalRef strings;
  if (ensureArray<jbyteArray>(env, arrays.text, arrays.textCapacity, size, &JNIEnv::NewByteArray) &&
      ensureArray<jintArray>(env, arrays.ends, arrays.endCapacity, count, &JNIEnv::NewIntArray)) {
    auto textArray = static_cast<jbyteArray>(arrays.text.get());
    auto endArray = static_cast<jintArray>(arrays.ends.get());
    env->SetByteArrayRegion(textArray, 0, size, reinterpret_cast<const jbyte*>(text.data()));
    env->SetIntArrayRegion(endArray, 0, count, ends.data());
    LocalRef<jobject> made(env, env->CallStaticObjectMethod(cls, split, textArray, endArray, count));
    if (made && !env->ExceptionCheck()) strings = GlobalRef::strong(env, made.get());
  }
  if (env->ExceptionCheck()) env->ExceptionClear();  // out of memory: the records take the other path
  return strings;
}

void RunIndex::start(std::uint64_t offset, std::vector<jint> ends, std::size_t taken) {
  ends_ = std::move(ends);
  start_ = offset;
  next_ = taken;
  if (next_ >= ends_.size()) clear();
}

std::size_t RunIndex::nextLength(std::uint64_t offset) const {
  if (ends_.empty()) return 0;
  std::size_t begin = next_ == 0 ? 0 : static_cast<std::size_t>(ends_[next_ - 1]);
  return offset == start_ + begin ? static_cast<std::size_t>(ends_[next_]) - begin : 0;
}

long RunIndex::take(std::uint64_t offset, std::size_t consumed) {
  std::size_t expected = nextLength(offset);
  if (expected == 0 || consumed != expected) {
    clear();  // read otherwise meanwhile (another maximum, a byte read)
    return -1;
  }
  auto index = static_cast<long>(next_);
  if (++next_ == ends_.size()) clear();
  return index;
}

void RunIndex::clear() {
  ends_.clear();
  next_ = 0;
}

}  // namespace kiv::utils
