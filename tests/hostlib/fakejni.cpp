#include "fakejni.h"

#include <cstdarg>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>

namespace kivtest {
namespace {

// The classes of every FakeJni of the process and the global references that
// keep them alive. Shared by the threads' FakeJnis: a short spin lock (the
// Windows toolchain's thread model has no std::mutex).
class Registry {
 public:
  // Classes still named by global references at exit go first, while the
  // rest of the registry is there for their destructors.
  ~Registry() {
    auto held = std::move(globals);
    globals.clear();
  }
  void lock() {
    while (busy_.test_and_set(std::memory_order_acquire)) {
    }
  }
  void unlock() { busy_.clear(std::memory_order_release); }

  std::map<const FakeClass*, std::weak_ptr<FakeClass>> live;       // every class not yet freed
  std::multimap<const void*, std::shared_ptr<FakeClass>> globals;  // one entry per global reference

 private:
  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
};

Registry& registry() {
  static Registry r;
  return r;
}

// Throws for a class that is no longer loaded (a dangling reference).
void checkLoaded(jclass c) {
  std::lock_guard lock(registry());
  if (!registry().live.count(static_cast<const FakeClass*>(c))) throw std::logic_error("class no longer loaded");
}

FakeField* fieldOf(jfieldID id) { return reinterpret_cast<FakeField*>(id); }
jfieldID idOf(const FakeField* f) { return reinterpret_cast<jfieldID>(const_cast<FakeField*>(f)); }
FakeObject* objectOf(jobject o) { return static_cast<FakeObject*>(o); }
FakeClass* classOf(jclass c) { return static_cast<FakeClass*>(c); }

jfieldID lookup(JNIEnv* env, jclass cls, const char* name, const char* sig, bool isStatic) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  checkLoaded(cls);
  auto it = classOf(cls)->fields.find(name);
  if (it == classOf(cls)->fields.end() || it->second.signature != sig || it->second.isStatic != isStatic) {
    fake.exceptionPending = true;  // NoSuchFieldError
    ++fake.missingFieldLookups;
    return nullptr;
  }
  return idOf(&it->second);
}

// The value of an instance field, checking its signature as -Xcheck:jni does.
FakeValue& instance(JNIEnv* env, jobject o, jfieldID id, const char* sig) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  if (!o || fieldOf(id)->isStatic || fieldOf(id)->signature != sig) throw std::logic_error("field type mismatch");
  return objectOf(o)->values[fieldOf(id)];
}

FakeValue& statics(JNIEnv* env, jclass c, jfieldID id, const char* sig) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  checkLoaded(c);
  if (!fieldOf(id)->isStatic || fieldOf(id)->signature != sig) throw std::logic_error("field type mismatch");
  return classOf(c)->statics[fieldOf(id)];
}

std::optional<std::string> textOf(jobject s) {
  if (!s) return std::nullopt;
  return static_cast<FakeString*>(s)->text;
}

constexpr const char* kString = "Ljava/lang/String;";

jclass JNICALL GetObjectClass(JNIEnv* env, jobject o) {
  FakeJni::of(env).call();
  return static_cast<jclass>(FakeJni::of(env).local(objectOf(o)->cls));
}
jfieldID JNICALL GetFieldID(JNIEnv* env, jclass c, const char* n, const char* s) { return lookup(env, c, n, s, false); }
jfieldID JNICALL GetStaticFieldID(JNIEnv* env, jclass c, const char* n, const char* s) {
  return lookup(env, c, n, s, true);
}
jint JNICALL GetIntField(JNIEnv* env, jobject o, jfieldID id) { return instance(env, o, id, "I").i; }
void JNICALL SetIntField(JNIEnv* env, jobject o, jfieldID id, jint v) { instance(env, o, id, "I").i = v; }
jboolean JNICALL GetBooleanField(JNIEnv* env, jobject o, jfieldID id) { return instance(env, o, id, "Z").z; }
void JNICALL SetBooleanField(JNIEnv* env, jobject o, jfieldID id, jboolean v) { instance(env, o, id, "Z").z = v; }
jbyte JNICALL GetByteField(JNIEnv* env, jobject o, jfieldID id) { return instance(env, o, id, "B").b; }
jobject JNICALL GetObjectField(JNIEnv* env, jobject o, jfieldID id) {
  const auto& s = instance(env, o, id, kString).s;
  return s ? FakeJni::of(env).newLocalString(*s) : nullptr;
}
void JNICALL SetObjectField(JNIEnv* env, jobject o, jfieldID id, jobject v) {
  instance(env, o, id, kString).s = textOf(v);
}
void JNICALL SetStaticIntField(JNIEnv* env, jclass c, jfieldID id, jint v) { statics(env, c, id, "I").i = v; }
void JNICALL SetStaticObjectField(JNIEnv* env, jclass c, jfieldID id, jobject v) {
  statics(env, c, id, kString).s = textOf(v);
}
jstring JNICALL NewStringUTF(JNIEnv* env, const char* utf) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  if (fake.failNewString) {
    fake.exceptionPending = true;  // OutOfMemoryError
    return nullptr;
  }
  return fake.newLocalString(utf);
}
const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring s, jboolean* isCopy) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  if (fake.throwInUtfChars) throw std::bad_alloc();
  if (fake.failUtfChars) {
    fake.exceptionPending = true;  // OutOfMemoryError
    return nullptr;
  }
  if (isCopy) *isCopy = JNI_FALSE;
  ++fake.utfCharsHeld_;
  return static_cast<FakeString*>(s)->text.c_str();
}
void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring, const char*) {
  // Allowed with an exception pending.
  --FakeJni::of(env).utfCharsHeld_;
}
void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) { FakeJni::of(env).deleteLocal(ref); }
jmethodID JNICALL GetMethodID(JNIEnv* env, jclass c, const char* n, const char* s) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  checkLoaded(c);
  auto it = classOf(c)->methods.find(std::string(n) + s);
  if (it == classOf(c)->methods.end()) {
    fake.exceptionPending = true;  // NoSuchMethodError
    ++fake.missingMethodLookups;
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(&it->second);
}
void JNICALL CallVoidMethodV(JNIEnv* env, jobject o, jmethodID id, va_list args) {
  FakeJni::of(env).call();
  const auto* method = reinterpret_cast<const FakeMethod*>(id);
  auto& methods = objectOf(o)->cls->methods;
  auto it = methods.find(method->name + method->signature);
  if (it == methods.end() || &it->second != method) throw std::logic_error("method of another class");
  objectOf(o)->received.push_back(textOf(va_arg(args, jobject)));
}
jboolean JNICALL ExceptionCheck(JNIEnv* env) { return FakeJni::of(env).exceptionPending ? JNI_TRUE : JNI_FALSE; }
void JNICALL ExceptionClear(JNIEnv* env) { FakeJni::of(env).exceptionPending = false; }

// Array regions, checked as the VM checks them (an overrun raises
// ArrayIndexOutOfBoundsException).
template <class A, class T>
bool inBounds(JNIEnv* env, const std::vector<T>& v, jsize start, jsize len) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  if (start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > v.size()) {
    fake.exceptionPending = true;
    return false;
  }
  return true;
}
jsize JNICALL GetArrayLength(JNIEnv* env, jarray a) {
  FakeJni::of(env).call();
  return FakeJni::of(env).arrayLength(a);
}
void JNICALL GetCharArrayRegion(JNIEnv* env, jcharArray a, jsize start, jsize len, jchar* buf) {
  auto& v = static_cast<FakeCharArray*>(a)->chars;
  if (inBounds<FakeCharArray>(env, v, start, len)) std::copy_n(v.begin() + start, len, buf);
}
void JNICALL SetCharArrayRegion(JNIEnv* env, jcharArray a, jsize start, jsize len, const jchar* buf) {
  auto& v = static_cast<FakeCharArray*>(a)->chars;
  if (inBounds<FakeCharArray>(env, v, start, len)) std::copy_n(buf, len, v.begin() + start);
}
void JNICALL GetByteArrayRegion(JNIEnv* env, jbyteArray a, jsize start, jsize len, jbyte* buf) {
  auto& v = static_cast<FakeByteArray*>(a)->bytes;
  if (inBounds<FakeByteArray>(env, v, start, len)) std::copy_n(v.begin() + start, len, buf);
}
void JNICALL SetByteArrayRegion(JNIEnv* env, jbyteArray a, jsize start, jsize len, const jbyte* buf) {
  auto& v = static_cast<FakeByteArray*>(a)->bytes;
  if (inBounds<FakeByteArray>(env, v, start, len)) std::copy_n(buf, len, v.begin() + start);
}

// String lengths in UTF-16 units and the whole text as modified UTF-8
// (the fake keeps texts without NUL characters).
jsize JNICALL GetStringLength(JNIEnv* env, jstring s) {
  FakeJni::of(env).call();
  jsize n = 0;
  for (unsigned char c : static_cast<FakeString*>(s)->text) {
    if ((c & 0xC0) != 0x80) ++n;
    if (c >= 0xF0) ++n;  // a surrogate pair
  }
  return n;
}
jsize JNICALL GetStringUTFLength(JNIEnv* env, jstring s) {
  FakeJni::of(env).call();
  return static_cast<jsize>(static_cast<FakeString*>(s)->text.size());
}
void JNICALL GetStringUTFRegion(JNIEnv* env, jstring s, jsize start, jsize len, char* buf) {
  if (start != 0 || len != GetStringLength(env, s)) throw std::logic_error("only whole strings");
  const std::string& t = static_cast<FakeString*>(s)->text;
  std::copy(t.begin(), t.end(), buf);
}
// The text's UTF-16 units (its UTF-8 decoded; four bytes make a pair).
void JNICALL GetStringRegion(JNIEnv* env, jstring s, jsize start, jsize len, jchar* buf) {
  if (start != 0 || len != GetStringLength(env, s)) throw std::logic_error("only whole strings");
  if (FakeJni::of(env).duringStringRegion) FakeJni::of(env).duringStringRegion();
  const std::string& t = static_cast<FakeString*>(s)->text;
  for (std::size_t i = 0; i < t.size();) {
    auto c = static_cast<unsigned char>(t[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    unsigned cp = n == 1 ? c : c & (0x7Fu >> n);
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(t[i + static_cast<std::size_t>(k)]) & 0x3Fu);
    if (cp >= 0x10000) {
      *buf++ = static_cast<jchar>(0xD800 + ((cp - 0x10000) >> 10));
      *buf++ = static_cast<jchar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      *buf++ = static_cast<jchar>(cp);
    }
    i += static_cast<std::size_t>(n);
  }
}
// A global reference to a class keeps the class alive (see FakeClass);
// other global references are the object itself.
jobject JNICALL NewGlobalRef(JNIEnv* env, jobject o) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  if (!o) return nullptr;
  ++fake.globalRefsHeld;
  std::lock_guard lock(registry());
  auto it = registry().live.find(static_cast<const FakeClass*>(o));
  if (it != registry().live.end())
    if (auto cls = it->second.lock()) registry().globals.emplace(o, std::move(cls));
  return o;
}
void JNICALL DeleteGlobalRef(JNIEnv* env, jobject o) {
  if (!o) return;
  --FakeJni::of(env).globalRefsHeld;
  std::shared_ptr<FakeClass> released;  // freed after the lock is given up
  std::lock_guard lock(registry());
  auto it = registry().globals.find(o);
  if (it != registry().globals.end()) {
    released = std::move(it->second);
    registry().globals.erase(it);
  }
}
// Classes by name: the stand-in knows none (NoClassDefFoundError), and
// defines none (as a VM that refuses the class file).
jclass refuseClass(JNIEnv* env) {
  FakeJni& fake = FakeJni::of(env);
  fake.call();
  ++fake.classLookups;
  fake.exceptionPending = true;
  return nullptr;
}
jclass JNICALL FindClass(JNIEnv* env, const char*) { return refuseClass(env); }
jclass JNICALL DefineClass(JNIEnv* env, const char*, jobject, const jbyte*, jsize) { return refuseClass(env); }
jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject o, jclass c) {
  FakeJni::of(env).call();
  checkLoaded(c);
  return !o || objectOf(o)->cls == classOf(c) ? JNI_TRUE : JNI_FALSE;
}

std::atomic<int> weakRefs{0};
jweak JNICALL NewWeakGlobalRef(JNIEnv* env, jobject o) {
  FakeJni::of(env).call();
  if (o) ++weakRefs;
  return o;
}
void JNICALL DeleteWeakGlobalRef(JNIEnv*, jweak o) {
  if (o) --weakRefs;
}
jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
  FakeJni::of(env).call();
  return a == b ? JNI_TRUE : JNI_FALSE;
}

}  // namespace

int FakeJni::weakRefsHeld() { return weakRefs.load(); }

FakeClass::~FakeClass() {
  std::lock_guard lock(registry());
  registry().live.erase(this);
}

FakeJni::FakeJni() {
  table_.reserved0 = this;
  table_.GetObjectClass = GetObjectClass;
  table_.GetFieldID = GetFieldID;
  table_.GetStaticFieldID = GetStaticFieldID;
  table_.GetIntField = GetIntField;
  table_.SetIntField = SetIntField;
  table_.GetBooleanField = GetBooleanField;
  table_.SetBooleanField = SetBooleanField;
  table_.GetByteField = GetByteField;
  table_.GetObjectField = GetObjectField;
  table_.SetObjectField = SetObjectField;
  table_.SetStaticIntField = SetStaticIntField;
  table_.SetStaticObjectField = SetStaticObjectField;
  table_.NewStringUTF = NewStringUTF;
  table_.GetStringUTFChars = GetStringUTFChars;
  table_.ReleaseStringUTFChars = ReleaseStringUTFChars;
  table_.DeleteLocalRef = DeleteLocalRef;
  table_.GetMethodID = GetMethodID;
  table_.CallVoidMethodV = CallVoidMethodV;
  table_.IsInstanceOf = IsInstanceOf;
  table_.FindClass = FindClass;
  table_.DefineClass = DefineClass;
  table_.NewGlobalRef = NewGlobalRef;
  table_.DeleteGlobalRef = DeleteGlobalRef;
  table_.ExceptionCheck = ExceptionCheck;
  table_.ExceptionClear = ExceptionClear;
  table_.GetArrayLength = GetArrayLength;
  table_.GetStringLength = GetStringLength;
  table_.GetStringUTFLength = GetStringUTFLength;
  table_.GetStringUTFRegion = GetStringUTFRegion;
  table_.GetStringRegion = GetStringRegion;
  table_.GetCharArrayRegion = GetCharArrayRegion;
  table_.SetCharArrayRegion = SetCharArrayRegion;
  table_.GetByteArrayRegion = GetByteArrayRegion;
  table_.SetByteArrayRegion = SetByteArrayRegion;
  table_.NewWeakGlobalRef = NewWeakGlobalRef;
  table_.DeleteWeakGlobalRef = DeleteWeakGlobalRef;
  table_.IsSameObject = IsSameObject;
  env_.functions = &table_;
}

FakeJni& FakeJni::of(JNIEnv* env) { return *static_cast<FakeJni*>(env->functions->reserved0); }

void FakeJni::call() {
  if (exceptionPending) ++callsWithExceptionPending;
  if (duringCall && !inCall_) {
    inCall_ = true;
    duringCall();
    inCall_ = false;
  }
}

FakeClass* FakeJni::defineClass(const std::string& name) {
  auto cls = std::make_shared<FakeClass>();
  cls->name = name;
  {
    std::lock_guard lock(registry());
    registry().live[cls.get()] = cls;
  }
  classes_.push_back(cls);
  return cls.get();
}

void FakeJni::declare(FakeClass* cls, const std::string& name, const std::string& signature, bool isStatic) {
  cls->fields[name] = FakeField{name, signature, isStatic};
}

void FakeJni::declareMethod(FakeClass* cls, const std::string& name, const std::string& signature) {
  cls->methods[name + signature] = FakeMethod{name, signature};
}

FakeObject* FakeJni::newObject(FakeClass* cls) {
  objects_.push_back(std::make_unique<FakeObject>());
  objects_.back()->cls = cls;
  return objects_.back().get();
}

jstring FakeJni::string(const std::string& text) {
  strings_.push_back(std::make_unique<FakeString>());
  strings_.back()->text = text;
  return strings_.back().get();
}

FakeCharArray* FakeJni::charArray(std::vector<jchar> chars) {
  charArrays_.push_back(std::make_unique<FakeCharArray>());
  charArrays_.back()->chars = std::move(chars);
  return charArrays_.back().get();
}

FakeByteArray* FakeJni::byteArray(std::vector<jbyte> bytes) {
  byteArrays_.push_back(std::make_unique<FakeByteArray>());
  byteArrays_.back()->bytes = std::move(bytes);
  return byteArrays_.back().get();
}

jsize FakeJni::arrayLength(jarray a) const {
  for (const auto& c : charArrays_)
    if (c.get() == a) return static_cast<jsize>(c->chars.size());
  for (const auto& b : byteArrays_)
    if (b.get() == a) return static_cast<jsize>(b->bytes.size());
  throw std::logic_error("no such array");
}

FakeValue& FakeJni::value(FakeObject* object, const std::string& name) {
  return object->values[&object->cls->fields.at(name)];
}

FakeValue& FakeJni::staticValue(FakeClass* cls, const std::string& name) {
  return cls->statics[&cls->fields.at(name)];
}

jobject FakeJni::local(jobject ref) {
  if (ref) locals_.insert(ref);
  return ref;
}

FakeString* FakeJni::newLocalString(const std::string& text) {
  auto* s = static_cast<FakeString*>(string(text));
  local(s);
  return s;
}

void FakeJni::deleteLocal(jobject ref) {
  auto it = locals_.find(ref);
  if (it == locals_.end())
    ++badDeletes;
  else
    locals_.erase(it);
}

}  // namespace kivtest
