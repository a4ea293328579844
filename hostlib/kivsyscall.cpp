// Native methods of KivSystemCall: a utility by ATTACH goes to the simulated
// ATTACH; a utility in a separate address space and a system command are
// recorded in the trace only. Nothing is started.
#include "com_zov_kiv_host_KivSystemCall.h"
#include "kivdssim.h"
#include "kivjnicall.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

using namespace kiv::utils;
namespace umsg = kiv::umsg;
using kiv::traceLineL;

namespace {

constexpr int kResults = 0;  // lines of level 1 and up
constexpr int kSteps = 7;    // lines of level 8 and up

// A String that may be null: null stands for the empty text, without a trace line.
CString optionalText(JNIEnv* env, jstring string) { return string ? GetString(env, string) : nullptr; }
const char* textOf(const CString& text) { return text ? text.get() : ""; }

}  // namespace

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivSystemCall_attachUtilityN(JNIEnv* env, jobject, jstring utility,
                                                                         jstring parm, jstring steplib) {
  return guarded("attachUtilityN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kAttachBegin);
    CString name = optionalText(env, utility);
    CString parmText = optionalText(env, parm);
    CString lib = optionalText(env, steplib);
    int rc = kiv::runUtility(textOf(name), textOf(parmText), textOf(lib));
    traceLineL(kSteps, umsg::kAttachEnd, static_cast<unsigned>(rc));
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivSystemCall_attachUtilitySpawnN(JNIEnv* env, jobject, jstring a,
                                                                              jstring utility, jstring c,
                                                                              jstring d, jstring e) {
  return guarded("attachUtilitySpawnN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kSpawnBegin);
    // Only the utility's name is used; the others are converted all the same.
    CString first = optionalText(env, a);
    CString name = GetString(env, utility);
    CString third = optionalText(env, c);
    CString fourth = optionalText(env, d);
    CString fifth = optionalText(env, e);
    traceLineL(kResults, umsg::kSpawnUtility, name ? name.get() : umsg::kNullText);
    traceLineL(kSteps, umsg::kSpawnEnd, 0u);
    return 0;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivSystemCall_systemcallN(JNIEnv* env, jobject, jstring a,
                                                                      jstring command) {
  return guarded("systemcallN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kSystemcallBegin);
    CString first = optionalText(env, a);
    CString text = GetString(env, command);
    traceLineL(kResults, umsg::kSystemcall, text ? text.get() : umsg::kNullText);
    traceLineL(kSteps, umsg::kSystemcallEnd, 0u);
    return 0;
  });
}
