/* Machine-dependent JNI types for Windows builds with mingw-w64. The build
 * machine's JDK ships only its own platform's copy of this header. */
#ifndef KIV_WIN32_JNI_MD_H
#define KIV_WIN32_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

/* Windows is LLP64: long is 32 bits wide on both x86 and x64. */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
