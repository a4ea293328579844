// Native methods of the frame: the trace control of KivHostUtilities and the
// two methods of KivJava.
#include "com_zov_kiv_host_KivHostUtilities.h"
#include "com_zov_kiv_host_KivJava.h"
#include "kivframe.h"
#include "kivjnicall.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

namespace kiv::utils {

int traceText(int level, const char* text) {
  if (level > traceLevel()) return 0;
  if (!traceActive() || !text) return -1;
  traceLine(umsg::kTraceLineN, text);
  return 0;
}

UserId userId() {
  traceLineL(7, "%s", umsg::kGetUserIdBegin);
  traceLineL(0, umsg::kUserId, umsg::kUserName);
  return {umsg::kUserName, umsg::kUserUid, umsg::kUserGid, umsg::kUserDir, umsg::kUserShell};
}

}  // namespace kiv::utils

using namespace kiv::utils;

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_initTraceN(JNIEnv* env, jclass, jstring path,
                                                                        jint level) {
  return guarded("initTraceN", -1, [&] {
    CString copy = GetString(env, path);
    if (!copy) {
      // No file to trace into: trace goes off, as for a file that cannot be opened.
      initTrace(nullptr, level);
      return -1;
    }
    return initTrace(copy.get(), level);
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_traceLevelN(JNIEnv*, jclass, jint level) {
  return guarded("traceLevelN", 0, [&] {
    setTraceLevel(level);
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_traceLineN(JNIEnv* env, jclass, jstring line,
                                                                        jint level) {
  return guarded("traceLineN", -1, [&] {
    // Level and file first: a line nobody writes is not converted.
    if (level > traceLevel()) return 0;
    if (!traceActive()) return -1;
    CString copy = GetString(env, line);
    return traceText(level, copy.get());
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_stopTraceN(JNIEnv*, jclass) {
  return guarded("stopTraceN", 0, [] {
    stopTrace();
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivJava_checkLibraryVersionN(JNIEnv*, jclass) {
  return kiv::umsg::kLibraryVersion;
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivJava_getUserIdN(JNIEnv* env, jclass cls) {
  return guarded("getUserIdN", -1, [&] {
    UserId user = userId();
    setStaticString(env, cls, kiv::umsg::kFieldPwName, user.name);
    setStaticInteger(env, cls, kiv::umsg::kFieldPwUid, user.uid);
    setStaticInteger(env, cls, kiv::umsg::kFieldPwGid, user.gid);
    setStaticString(env, cls, kiv::umsg::kFieldPwDir, user.dir);
    setStaticString(env, cls, kiv::umsg::kFieldPwShell, user.shell);
    kiv::traceLineL(7, kiv::umsg::kGetUserIdEnd, 0);
    return 0;
  });
}
