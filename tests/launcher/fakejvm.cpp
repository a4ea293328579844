// A stand-in Java runtime library for the launcher's tests, where a real one
// cannot serve: a JDK 1.1 runtime, a runtime on Windows under Wine, and
// runtimes that fail at a chosen step. It records what the launcher handed it
// and answers the few JNI calls the launcher makes.
//
// Environment:
//   FAKEJVM_RECORD  file to append the record of the start-up settings to
//   FAKEJVM_RESULT  what kiv_main "returns" (default 0)
//   FAKEJVM_FAIL    the step that fails: defaults, create, exithook, aborthook,
//                   plainexit, class, method, string, array, exception
//   FAKEJVM_JNI     the latest JNI version it knows besides 1.1, in hex
//                   (default: none, as a runtime before JNI 1.2 answers)
// Built with FAKEJVM_NAME defined, it calls itself that in what it prints, so
// that a test can tell two of them apart.
#include "jdk11.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef FAKEJVM_NAME
#define FAKEJVM_NAME "fakejvm"
#endif

namespace {

bool failsAt(const char* step) {
  const char* fail = std::getenv("FAKEJVM_FAIL");
  return fail && std::strcmp(fail, step) == 0;
}

void record(const char* fmt, ...) {
  const char* file = std::getenv("FAKEJVM_RECORD");
  if (!file) return;
  if (std::FILE* f = std::fopen(file, "a")) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(f, fmt, args);
    va_end(args);
    std::fclose(f);
  }
}

int dummy;  // addresses of fake objects point here
jobject fakeObject() { return reinterpret_cast<jobject>(&dummy); }
bool exceptionPending = false;

jclass JNICALL FindClass(JNIEnv*, const char* name) {
  record("FindClass=%s\n", name);
  return failsAt("class") ? nullptr : static_cast<jclass>(fakeObject());
}
jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass, const char* name, const char* sig) {
  record("GetStaticMethodID=%s%s\n", name, sig);
  return failsAt("method") ? nullptr : reinterpret_cast<jmethodID>(&dummy);
}
jstring JNICALL NewStringUTF(JNIEnv*, const char* text) {
  record("NewStringUTF='%s'\n", text);
  return failsAt("string") ? nullptr : static_cast<jstring>(fakeObject());
}
jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass, jobject) {
  record("NewObjectArray=%d\n", static_cast<int>(length));
  return failsAt("array") ? nullptr : static_cast<jobjectArray>(fakeObject());
}
jint callKivMain() {
  std::printf(FAKEJVM_NAME ": kiv_main called\n");
  std::fflush(stdout);
  if (failsAt("exception")) exceptionPending = true;
  const char* result = std::getenv("FAKEJVM_RESULT");
  return result ? static_cast<jint>(std::strtol(result, nullptr, 10)) : 0;
}
jint JNICALL CallStaticIntMethod(JNIEnv*, jclass, jmethodID, ...) { return callKivMain(); }
jint JNICALL CallStaticIntMethodV(JNIEnv*, jclass, jmethodID, va_list) { return callKivMain(); }
jthrowable JNICALL ExceptionOccurred(JNIEnv*) {
  return exceptionPending ? static_cast<jthrowable>(fakeObject()) : nullptr;
}
void JNICALL ExceptionDescribe(JNIEnv*) { std::fprintf(stderr, "fakejvm: exception described\n"); }
void JNICALL ExceptionClear(JNIEnv*) { exceptionPending = false; }
void JNICALL DeleteLocalRef(JNIEnv*, jobject) {}

jint JNICALL DestroyJavaVM(JavaVM*) {
  record("DestroyJavaVM\n");
  return 0;
}

JNINativeInterface_ makeFunctions() {
  JNINativeInterface_ f{};
  f.FindClass = FindClass;
  f.GetStaticMethodID = GetStaticMethodID;
  f.NewStringUTF = NewStringUTF;
  f.NewObjectArray = NewObjectArray;
  f.CallStaticIntMethod = CallStaticIntMethod;
  f.CallStaticIntMethodV = CallStaticIntMethodV;
  f.ExceptionOccurred = ExceptionOccurred;
  f.ExceptionDescribe = ExceptionDescribe;
  f.ExceptionClear = ExceptionClear;
  f.DeleteLocalRef = DeleteLocalRef;
  return f;
}

JNIInvokeInterface_ makeInvoke() {
  JNIInvokeInterface_ i{};
  i.DestroyJavaVM = DestroyJavaVM;
  return i;
}

const JNINativeInterface_ functions = makeFunctions();
const JNIInvokeInterface_ invoke = makeInvoke();
JNIEnv theEnv{&functions};
JavaVM theVM{&invoke};

// The hooks the launcher gave, to fail the way a real VM does.
void(JNICALL* exitHook)(jint) = nullptr;
void(JNICALL* abortHook)() = nullptr;

void recordArgs11(const JDK1_1InitArgs* a) {
  record("version=%08x\n", static_cast<unsigned>(a->version));
  for (char** p = a->properties; p && *p; ++p) record("property=%s\n", *p);
  record("classpath=%s\n", a->classpath ? a->classpath : "(null)");
  record("minHeapSize=%d\n", static_cast<int>(a->minHeapSize));
  record("maxHeapSize=%d\n", static_cast<int>(a->maxHeapSize));
  record("verbose=%d\n", static_cast<int>(a->verbose));
  record("hooks=%s\n", a->exit && a->abort ? "exit,abort" : "none");
  exitHook = a->exit;
  abortHook = a->abort;
}

void recordArgs13(const JavaVMInitArgs* a) {
  record("version=%08x\n", static_cast<unsigned>(a->version));
  record("ignoreUnrecognized=%d\n", static_cast<int>(a->ignoreUnrecognized));
  for (jint i = 0; i < a->nOptions; ++i) {
    const JavaVMOption& o = a->options[i];
    record("option=%s\n", o.optionString);
    if (std::strcmp(o.optionString, "exit") == 0)
      exitHook = reinterpret_cast<void(JNICALL*)(jint)>(o.extraInfo);
    if (std::strcmp(o.optionString, "abort") == 0) abortHook = reinterpret_cast<void(JNICALL*)()>(o.extraInfo);
  }
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  auto* a = static_cast<JDK1_1InitArgs*>(args);
  record("GetDefaultJavaVMInitArgs version=%08x\n", static_cast<unsigned>(a->version));
  if (a->version != 0x00010001) {
    // Asked for a later version, a runtime only says whether it knows it.
    const char* known = std::getenv("FAKEJVM_JNI");
    return known && a->version <= static_cast<jint>(std::strtol(known, nullptr, 16)) ? 0 : -1;
  }
  if (failsAt("defaults")) return -1;
  a->checkSource = 0;
  a->nativeStackSize = 131072;
  a->javaStackSize = 409600;
  a->minHeapSize = 1000000;
  a->maxHeapSize = 16000000;
  a->verifyMode = 1;
  a->classpath = const_cast<char*>("fake-default-classpath");
  a->enableClassGC = 1;
  a->enableVerboseGC = 0;
  a->disableAsyncGC = 0;
  a->verbose = 0;
  return 0;
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  jint version = *static_cast<jint*>(args);
  if (version == 0x00010001)
    recordArgs11(static_cast<JDK1_1InitArgs*>(args));
  else
    recordArgs13(static_cast<JavaVMInitArgs*>(args));
  if (failsAt("create")) return -1;
  if (failsAt("exithook") && exitHook) exitHook(1);
  if (failsAt("aborthook") && abortHook) abortHook();
  if (failsAt("plainexit")) std::exit(2);
  *pvm = &theVM;
  *penv = &theEnv;
  return 0;
}

}  // extern "C"
