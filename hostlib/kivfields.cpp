// Field helpers, String conversion and the standard library's error
// reporting, shared by every family of native methods.
#include "kivtext.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace kiv::utils {
namespace {

constexpr int kResults = 0;  // lines of level 1 and up
constexpr int kFields = 8;   // lines of level 9 and up

const char* shown(const char* text) { return text ? text : umsg::kNullText; }
const char* truth(bool value) { return value ? umsg::kTrue : umsg::kFalse; }

// The field, or null when the class, the object or the field is missing.
jfieldID instanceField(JNIEnv* env, jobject object, jclass cls, const char* name, const char* signature) {
  if (!object) return nullptr;
  return getFieldId(env, cls, name, signature, false);
}

// A new String of text (null for a null text), whatever bytes it holds (a
// file name, the C library's error text). When the VM has no memory for
// it, the field keeps its value: the OutOfMemoryError is traced and
// cleared, so the method carries on without a pending exception.
jstring newString(JNIEnv* env, const char* text) {
  if (!text) return nullptr;
  jstring string = newStringFromBytes(env, text);
  if (!string) traceLineL(kResults, umsg::kNewStringMemory, text);
  return string;
}

}  // namespace

LocalRef<jclass> classOf(JNIEnv* env, jobject object) {
  return LocalRef<jclass>(env, object ? env->GetObjectClass(object) : nullptr);
}

jfieldID getFieldId(JNIEnv* env, jclass cls, const char* name, const char* signature, bool isStatic) {
  // Private copies of name and signature, sized to what they hold.
  std::string nameCopy, signatureCopy;
  try {
    nameCopy = name ? name : "";
    signatureCopy = signature ? signature : "";
  } catch (const std::bad_alloc&) {
    traceLineL(kResults, umsg::kFieldMemory, shown(name), shown(signature));
    return nullptr;
  }
  jfieldID id = nullptr;
  if (cls && name && signature) {
    id = isStatic ? env->GetStaticFieldID(cls, nameCopy.c_str(), signatureCopy.c_str())
                  : env->GetFieldID(cls, nameCopy.c_str(), signatureCopy.c_str());
  }
  if (!id) {
    // The VM raises NoSuchFieldError for the missing field; the method
    // carries on without it, so that error must not stay pending.
    if (env->ExceptionCheck()) env->ExceptionClear();
    traceLineL(kResults, umsg::kFieldNotFound, nameCopy.c_str(), signatureCopy.c_str());
  }
  return id;
}

jint getInteger(JNIEnv* env, jobject object, jclass cls, const char* name) {
  jint value = 0;
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigInt)) value = env->GetIntField(object, id);
  traceLineL(kFields, umsg::kGetInteger, shown(name), static_cast<int>(value), static_cast<unsigned>(value));
  return value;
}

void setInteger(JNIEnv* env, jobject object, jclass cls, const char* name, jint value) {
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigInt)) env->SetIntField(object, id, value);
  traceLineL(kFields, umsg::kSetInteger, shown(name), static_cast<int>(value), static_cast<unsigned>(value));
}

void setStaticInteger(JNIEnv* env, jclass cls, const char* name, jint value) {
  if (jfieldID id = getFieldId(env, cls, name, umsg::kSigInt, true)) env->SetStaticIntField(cls, id, value);
  traceLineL(kFields, umsg::kSetStaticInteger, shown(name), static_cast<int>(value), static_cast<unsigned>(value));
}

int getBoolean(JNIEnv* env, jobject object, jclass cls, const char* name) {
  int value = 0;
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigBoolean))
    value = env->GetBooleanField(object, id) ? 1 : 0;
  traceLineL(kFields, umsg::kGetBoolean, shown(name), truth(value));
  return value;
}

void setBoolean(JNIEnv* env, jobject object, jclass cls, const char* name, int value) {
  bool stored = (value & 0xFF) != 0;
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigBoolean))
    env->SetBooleanField(object, id, stored ? JNI_TRUE : JNI_FALSE);
  traceLineL(kFields, umsg::kSetBoolean, shown(name), truth(stored));
}

jbyte getByte(JNIEnv* env, jobject object, jclass cls, const char* name) {
  jbyte value = 0;
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigByte)) value = env->GetByteField(object, id);
  traceLineL(kFields, umsg::kGetByte, shown(name), static_cast<int>(value), static_cast<unsigned>(value));
  return value;
}

CString getString(JNIEnv* env, jobject object, jclass cls, const char* name) {
  CString value;
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigString)) {
    LocalRef<jobject> field(env, env->GetObjectField(object, id));
    if (field) value = GetString(env, static_cast<jstring>(field.get()));
  }
  traceLineL(kFields, umsg::kGetString, shown(name), shown(value.get()));
  return value;
}

void setString(JNIEnv* env, jobject object, jclass cls, const char* name, const char* text) {
  if (jfieldID id = instanceField(env, object, cls, name, umsg::kSigString)) {
    LocalRef<jstring> string(env, newString(env, text));
    if (string || !text) env->SetObjectField(object, id, string.get());
  }
  traceLineL(kFields, umsg::kSetString, shown(name), shown(text));
}

void setStaticString(JNIEnv* env, jclass cls, const char* name, const char* text) {
  if (jfieldID id = getFieldId(env, cls, name, umsg::kSigString, true)) {
    LocalRef<jstring> string(env, newString(env, text));
    if (string || !text) env->SetStaticObjectField(cls, id, string.get());
  }
  traceLineL(kFields, umsg::kSetStaticString, shown(name), shown(text));
}

CString GetString(JNIEnv* env, jstring string) {
  if (!string) {
    traceLineL(kResults, "%s", umsg::kGetStringNull);
    return nullptr;
  }
  const char* chars = env->GetStringUTFChars(string, nullptr);
  if (!chars) {
    // The VM could not provide the text (it raised OutOfMemoryError).
    if (env->ExceptionCheck()) env->ExceptionClear();
    traceLineL(kResults, umsg::kGetStringMemory, "");
    return nullptr;
  }
  CString copy(strdup(chars));
  if (!copy) traceLineL(kResults, umsg::kGetStringMemory, chars);
  env->ReleaseStringUTFChars(string, chars);
  return copy;
}

std::string errnoMessage(int err, const char* text) {
  if (!text || !*text) return std::strerror(err);
  std::string message = text;
  if (err != 0) {
    message += umsg::kErrnoSeparator;
    message += std::strerror(err);
  }
  return message;
}

void reportErrno(JNIEnv* env, jobject object, jclass cls, const char* text) {
  int err = errno;  // before anything else can change it
  if (object)
    setInteger(env, object, cls, umsg::kFieldErrno, err);
  else
    setStaticInteger(env, cls, umsg::kFieldErrno, err);
  std::string message;
  try {
    message = errnoMessage(err, text);
  } catch (const std::bad_alloc&) {
    message.clear();  // the empty text, as when the message cannot be allocated
  }
  traceLineL(kResults, umsg::kErrno, err, message.c_str());
  if (object)
    setString(env, object, cls, umsg::kFieldStrerror, message.c_str());
  else
    setStaticString(env, cls, umsg::kFieldStrerror, message.c_str());
}

}  // namespace kiv::utils
