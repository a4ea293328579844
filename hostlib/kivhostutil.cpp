// Native methods of KivHostUtilities besides the trace control: WTO,
// ENQ/DEQ, the system symbol &SYSNAME., the IPL information and the APF
// test, all simulated.
#include "com_zov_kiv_host_KivHostUtilities.h"
#include "kivdssim.h"
#include "kivhostsvc.h"
#include "kivjnicall.h"
#include "kivtext.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace kiv::utils {
namespace {

constexpr int kResults = 0;  // lines of level 1 and up
constexpr int kSteps = 7;    // lines of level 8 and up

// A new String of text (the environment's bytes among it); null (traced)
// when the VM has no memory for it.
jstring newResult(JNIEnv* env, const std::string& text) {
  jstring result = newStringFromBytes(env, std::string_view(text));
  if (!result) traceLineL(kResults, umsg::kNewStringMemory, text.c_str());
  return result;
}

// Enqueue and dequeue: traced only; always 0.
int serialise(JNIEnv* env, const char* word, jstring resource) {
  CString name = GetString(env, resource);
  traceLineL(kResults, umsg::kSerialise, word, name ? name.get() : umsg::kNullText);
  traceLineL(kResults, umsg::kSerialiseRc, word, 0);
  return 0;
}

}  // namespace

std::string resolveSystemSymbol(const std::string& text, const char* value) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const size_t at = upper.find(umsg::kSysnameSymbol);
  if (at == std::string::npos) return text;
  return text.substr(0, at) + (value ? value : "") + text.substr(at + std::strlen(umsg::kSysnameSymbol));
}

std::string iplInfoRecord() {
  std::string record;
  record.reserve(umsg::kIplLength);
  for (const umsg::IplField& field : umsg::kIplFields) {
    std::string value = field.value;
    value.resize(static_cast<size_t>(field.width), ' ');
    record += value;
  }
  return record;
}

}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;
using kiv::traceLineL;

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_wtoN(JNIEnv* env, jclass, jboolean flag,
                                                                  jstring message) {
  return guarded("wtoN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kWtoBegin);
    int rc = -1;
    if (CString text = GetString(env, message)) {
      traceLineL(kResults, umsg::kWto, flag ? umsg::kWtoWord : umsg::kWtoWordLow, text.get());
      rc = 0;
    }
    traceLineL(kSteps, umsg::kWtoEnd, rc);
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_enqN(JNIEnv* env, jclass, jstring resource) {
  return guarded("enqN", 0, [&] {
    traceLineL(kSteps, "%s", umsg::kEnqBegin);
    int rc = serialise(env, umsg::kEnqueue, resource);
    traceLineL(kSteps, umsg::kEnqEnd, rc);
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_deqN(JNIEnv* env, jclass, jstring resource) {
  return guarded("deqN", 0, [&] {
    traceLineL(kSteps, "%s", umsg::kDeqBegin);
    int rc = serialise(env, umsg::kDequeue, resource);
    traceLineL(kSteps, umsg::kDeqEnd, rc);
    return rc;
  });
}

JNIEXPORT jstring JNICALL Java_com_zov_kiv_host_KivHostUtilities_getSystemSymbolN(JNIEnv* env, jclass,
                                                                                 jstring text) {
  return guarded("getSystemSymbolN", static_cast<jstring>(nullptr), [&]() -> jstring {
    traceLineL(kSteps, "%s", umsg::kSymbolBegin);
    jstring result = nullptr;
    if (CString input = GetString(env, text)) {
      std::string resolved = resolveSystemSymbol(input.get(), std::getenv(umsg::kSysnameVariable));
      traceLineL(kResults, umsg::kSymbol, input.get(), resolved.c_str(), 0u);
      result = newResult(env, resolved);
    }
    traceLineL(kSteps, "%s", umsg::kSymbolEnd);
    return result;
  });
}

JNIEXPORT jstring JNICALL Java_com_zov_kiv_host_KivHostUtilities_getIPLInfoN(JNIEnv* env, jclass) {
  return guarded("getIPLInfoN", static_cast<jstring>(nullptr), [&]() -> jstring {
    traceLineL(kSteps, "%s", umsg::kIplBegin);
    std::string record = iplInfoRecord();
    traceLineL(kResults, "%s", umsg::kIplRuler);
    traceLineL(kResults, umsg::kIplInfo, record.c_str());
    jstring result = newResult(env, record);
    traceLineL(kSteps, umsg::kIplEnd, result ? 0 : -1);
    return result;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivHostUtilities_testAPFN(JNIEnv*, jclass) { return kiv::testAPF(); }
