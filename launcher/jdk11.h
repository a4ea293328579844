// The JDK 1.1 invocation record. Today's jni.h no longer declares it, so it
// is declared here with the layout of the JDK 1.1 (and 1.2) header.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

extern "C" {

typedef struct JDK1_1InitArgs {
  jint version;
  char** properties;
  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;
  char* classpath;
  jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
  void(JNICALL* exit)(jint code);
  void(JNICALL* abort)(void);
  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
} JDK1_1InitArgs;

// Entry points of the runtime library, resolved at run time.
typedef jint(JNICALL* GetDefaultJavaVMInitArgs_t)(void* args);
typedef jint(JNICALL* CreateJavaVM_t)(JavaVM** pvm, void** penv, void* args);
}
