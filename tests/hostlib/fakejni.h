// A stand-in for the parts of the JNI function table that kivutils uses:
// classes with declared fields, objects, Strings and local references. Tests
// drive the library's native methods through it without a VM, on Linux and
// as a Windows program under Wine. Like the VM, a lookup of a missing field
// raises a pending exception, and every JNI call made while one is pending
// is counted (what -Xcheck:jni reports).
#pragma once

#include <jni.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kivtest {

struct FakeString : _jstring {
  std::string text;
};

struct FakeField {
  std::string name;
  std::string signature;
  bool isStatic = false;
};

// One value of a field: the member that matches the field's signature.
struct FakeValue {
  jint i = 0;
  jboolean z = 0;
  jbyte b = 0;
  std::optional<std::string> s;  // String fields: nullopt is null
};

// A void method of one object argument (such as addElement(Object)).
struct FakeMethod {
  std::string name;
  std::string signature;
};

struct FakeCharArray : _jcharArray {
  std::vector<jchar> chars;
};

struct FakeByteArray : _jbyteArray {
  std::vector<jbyte> bytes;
};

// A class lives while its FakeJni does, and beyond that while a global
// reference names it (as a VM keeps a class loaded that a global reference
// holds). Using a class after that is an error of the library: every call
// that takes a class throws for it.
struct FakeClass : _jclass {
  std::string name;
  std::map<std::string, FakeField> fields;  // by name
  std::map<const FakeField*, FakeValue> statics;
  std::map<std::string, FakeMethod> methods;  // by name + signature
  ~FakeClass();
};

struct FakeObject : _jobject {
  FakeClass* cls = nullptr;
  std::map<const FakeField*, FakeValue> values;
  // The Strings handed to its methods, in order (nullopt for null).
  std::vector<std::optional<std::string>> received;
};

class FakeJni {
 public:
  FakeJni();
  FakeJni(const FakeJni&) = delete;
  FakeJni& operator=(const FakeJni&) = delete;

  JNIEnv* env() { return &env_; }

  FakeClass* defineClass(const std::string& name);
  // Declares a field ("I", "Z", "B" or "Ljava/lang/String;").
  void declare(FakeClass* cls, const std::string& name, const std::string& signature, bool isStatic = false);
  // Declares a void method that takes one object, e.g. ("addElement", "(Ljava/lang/Object;)V").
  void declareMethod(FakeClass* cls, const std::string& name, const std::string& signature);
  FakeObject* newObject(FakeClass* cls);
  // A String that the test passes in (not a local reference of the library).
  jstring string(const std::string& text);

  // Arrays that the test passes in.
  FakeCharArray* charArray(std::vector<jchar> chars);
  FakeByteArray* byteArray(std::vector<jbyte> bytes);
  jsize arrayLength(jarray array) const;

  // Field values by name (the field must be declared).
  FakeValue& value(FakeObject* object, const std::string& name);
  FakeValue& staticValue(FakeClass* cls, const std::string& name);

  // ---- what the library did ---------------------------------------------------
  bool exceptionPending = false;
  int callsWithExceptionPending = 0;  // JNI calls made while an exception was pending
  int missingFieldLookups = 0;
  int utfCharsHeld() const { return utfCharsHeld_; }
  std::size_t localRefsHeld() const { return locals_.size(); }
  int badDeletes = 0;  // DeleteLocalRef of something that is no local reference
  int globalRefsHeld = 0;
  int missingMethodLookups = 0;
  int classLookups = 0;  // FindClass and DefineClass (both fail)

  // ---- failures to simulate ---------------------------------------------------
  bool failUtfChars = false;       // GetStringUTFChars returns null (out of memory)
  bool throwInUtfChars = false;    // GetStringUTFChars throws std::bad_alloc
  bool failNewString = false;      // NewStringUTF returns null (out of memory)
  std::function<void()> duringStringRegion;  // runs inside GetStringRegion (a call that takes long)
  std::function<void()> duringCall;          // runs inside every JNI call (not inside itself)
  // Weak global references of every stand-in alive (they may be let go
  // through another thread's stand-in, as in a VM).
  static int weakRefsHeld();

  // ---- used by the function table ----------------------------------------------
  static FakeJni& of(JNIEnv* env);
  void call();  // every JNI call starts here
  jobject local(jobject ref);
  FakeString* newLocalString(const std::string& text);
  void deleteLocal(jobject ref);
  int utfCharsHeld_ = 0;

 private:
  bool inCall_ = false;
  JNINativeInterface_ table_{};
  JNIEnv env_{};
  std::vector<std::shared_ptr<FakeClass>> classes_;
  std::vector<std::unique_ptr<FakeObject>> objects_;
  std::vector<std::unique_ptr<FakeString>> strings_;
  std::vector<std::unique_ptr<FakeCharArray>> charArrays_;
  std::vector<std::unique_ptr<FakeByteArray>> byteArrays_;
  std::multiset<jobject> locals_;
};

}  // namespace kivtest
