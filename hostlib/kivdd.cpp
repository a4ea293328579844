// Native methods of KivDatasetDD: a DD object's allocation request (PIP)
// is registered, allocated, freed and released through the data-set
// simulation; the request is joined to the object by the handle in
// ivDyntHandle.
#include "kivdd.h"

#include "com_zov_kiv_host_KivDatasetDD.h"
#include "kivhandles.h"
#include "kivjnicall.h"
#include "kivtext.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>

namespace kiv::utils {
namespace {

constexpr int kResults = 0;  // level 1 and up
constexpr int kSteps = 7;    // level 8 and up

HandleTable<PIP>& requests() {
  static HandleTable<PIP> table;
  return table;
}

const char* codeText(int code, const char* const (&texts)[4]) {
  switch (code) {
    case 1: return texts[0];
    case 2: return texts[1];
    case 4: return texts[2];
    case 8: return texts[3];
    default: return umsg::kNoCodeText;
  }
}

const char* textOr(const std::optional<std::string>& s, const char* absent) { return s ? s->c_str() : absent; }

unsigned code16(int16_t code) { return static_cast<uint16_t>(code); }

// The result fields of a DD object after an operation on its request (or
// without one).
void reportDDError(JNIEnv* env, jobject object, jclass cls, const char* operation, int rc, const PIP* pip) {
  setInteger(env, object, cls, umsg::kFieldRc, rc);
  if (!pip) {
    setInteger(env, object, cls, umsg::kFieldErrcode, umsg::kNoCode);
    setInteger(env, object, cls, umsg::kFieldInfocode, umsg::kNoCode);
    if (rc != 0) traceLineL(kResults, umsg::kDDErrorNoCodes, operation, rc);
    return;
  }
  unsigned errcode, infocode;
  int reason;
  {
    DDGuard guard;  // the request is shared with other threads (the member test, the list)
    errcode = code16(pip->errcode);
    infocode = code16(pip->infocode);
    reason = pip->requestExtension ? static_cast<int>(pip->requestExtension->smsReason()) : -1;
  }
  bool sms = errcode >= 0x9700 && errcode <= 0x9727;
  setInteger(env, object, cls, umsg::kFieldErrcode, static_cast<jint>(errcode));
  setInteger(env, object, cls, umsg::kFieldInfocode, static_cast<jint>(infocode));
  if (sms) setInteger(env, object, cls, umsg::kFieldSMSReason, reason);
  if (rc != 0) {
    if (sms)
      traceLineL(kResults, umsg::kDDErrorSms, operation, rc, errcode, static_cast<unsigned>(reason));
    else
      traceLineL(kResults, umsg::kDDErrorInfo, operation, rc, errcode, infocode);
  }
}

std::optional<std::string> stringField(JNIEnv* env, jobject object, jclass cls, const char* name) {
  CString copy = getString(env, object, cls, name);
  if (!copy) return std::nullopt;
  return std::string(copy.get());
}

// Fills a request from the object's fields, in the order the Java side
// expects them to be read.
void fillRequest(JNIEnv* env, jobject o, jclass c, PIP& pip) {
  pip.ddName = stringField(env, o, c, umsg::kFieldDDName);
  if (!pip.ddName) pip.ddName = kGeneratedDDRequest;
  pip.dsName = stringField(env, o, c, umsg::kFieldDSName);
  pip.member = stringField(env, o, c, umsg::kFieldMember);
  pip.volser = stringField(env, o, c, umsg::kFieldVolser);
  pip.unit = stringField(env, o, c, umsg::kFieldUnit);
  pip.volRefDSName = stringField(env, o, c, umsg::kFieldVolRefDSName);
  pip.privateVolume = static_cast<int8_t>(getBoolean(env, o, c, umsg::kFieldPrivate));
  pip.volumeSequenceNumber = getInteger(env, o, c, umsg::kFieldVolumeSequenceNumber);
  pip.volumeCount = getInteger(env, o, c, umsg::kFieldVolumeCount);
  pip.label = getByte(env, o, c, umsg::kFieldLabel);
  pip.datasetSequenceNumber = getInteger(env, o, c, umsg::kFieldDatasetSequenceNumber);
  pip.status = getByte(env, o, c, umsg::kFieldStatus);
  pip.normdisp = getByte(env, o, c, umsg::kFieldNormdisp);
  pip.conddisp = getByte(env, o, c, umsg::kFieldConddisp);
  pip.dsorg = static_cast<int16_t>(getInteger(env, o, c, umsg::kFieldDSORG));
  pip.alcunit = getByte(env, o, c, umsg::kFieldAlcunit);
  pip.avgblk = getInteger(env, o, c, umsg::kFieldAvgblk);
  pip.primary = getInteger(env, o, c, umsg::kFieldPrimary);
  pip.secondary = getInteger(env, o, c, umsg::kFieldSecondary);
  pip.dirblk = getInteger(env, o, c, umsg::kFieldDirblk);
  pip.miscflags = static_cast<uint8_t>(getInteger(env, o, c, umsg::kFieldMiscflags));
  pip.recfm = static_cast<int16_t>(getByte(env, o, c, umsg::kFieldRecfm));
  pip.blksize = static_cast<int16_t>(getInteger(env, o, c, umsg::kFieldBlksize));
  pip.lrecl = static_cast<uint16_t>(getInteger(env, o, c, umsg::kFieldLrecl));
  pip.dcbRefDSName = stringField(env, o, c, umsg::kFieldDCBRefDSName);
  pip.dcbRefDDName = stringField(env, o, c, umsg::kFieldDCBRefDDName);
  pip.storclass = stringField(env, o, c, umsg::kFieldStorclass);
  pip.mgntclass = stringField(env, o, c, umsg::kFieldMgntclass);
  pip.dataclass = stringField(env, o, c, umsg::kFieldDataclass);
  pip.dsnType = static_cast<uint8_t>(getByte(env, o, c, umsg::kFieldDSNType));
  pip.likeDS = stringField(env, o, c, umsg::kFieldLikeDS);
  CString sysoutClass = getString(env, o, c, umsg::kFieldSysoutClass);
  pip.sysoutClass = sysoutClass ? static_cast<int8_t>(sysoutClass.get()[0]) : 0;
  sysoutClass.reset();
  pip.sysoutName = stringField(env, o, c, umsg::kFieldSysoutName);
  pip.refDDName = stringField(env, o, c, umsg::kFieldRefDDName);
  pip.password = stringField(env, o, c, umsg::kFieldPassword);
  pip.pathString = stringField(env, o, c, umsg::kFieldPathString);
  pip.pathopts = getInteger(env, o, c, umsg::kFieldPathopts);
  pip.pathmode = getInteger(env, o, c, umsg::kFieldPathmode);
  pip.pathNDisp = getByte(env, o, c, umsg::kFieldPathNDisp);
  pip.pathCDisp = getByte(env, o, c, umsg::kFieldPathCDisp);
  try {
    pip.requestExtension = std::make_unique<RequestExtension>();
  } catch (const std::bad_alloc&) {
    pip.requestExtension.reset();  // the request simply has none
  }
}

int dyninit(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kDyninitBegin);
  LocalRef<jclass> cls = classOf(env, object);
  std::shared_ptr<PIP> pip;
  try {
    pip = std::make_shared<PIP>();
  } catch (const std::bad_alloc&) {
  }
  if (!pip) {
    reportDDError(env, object, cls.get(), umsg::kOpMemory, umsg::kNoMemoryRc, nullptr);
    traceLineL(kSteps, umsg::kDyninitEnd, umsg::kNoMemoryRc);
    return umsg::kNoMemoryRc;
  }
  int rc = dyninitL(pip.get());
  reportDDError(env, object, cls.get(), umsg::kOpDyninit, rc, pip.get());
  if (rc == 0) {
    // The fields are read into a request of their own and moved into the
    // registered one under the list's guard: other threads search the list
    // (by DD name) while this one reads the Java object.
    PIP filled;
    fillRequest(env, object, cls.get(), filled);
    int handle = 0;
    {
      DDGuard guard;
      *pip = std::move(filled);
    }
    handle = requests().add(pip);
    if (handle == 0) {
      // No slot for the request: it leaves the list again.
      dynfreeL(pip.get());
      rc = umsg::kNoMemoryRc;
      reportDDError(env, object, cls.get(), umsg::kOpMemory, rc, nullptr);
    } else {
      setInteger(env, object, cls.get(), umsg::kFieldDyntHandle, handle);
    }
  }
  traceLineL(kSteps, umsg::kDyninitEnd, rc);
  return rc;
}

int dynalloc(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kDynallocBegin);
  LocalRef<jclass> cls = classOf(env, object);
  int handle = getInteger(env, object, cls.get(), umsg::kFieldDyntHandle);
  std::shared_ptr<PIP> pip = requests().get(handle);
  int rc;
  if (!pip) {
    // No live request behind the handle: refused like an allocation without codes.
    rc = kDynallocRefused;
    reportDDError(env, object, cls.get(), umsg::kOpDynalloc, rc, nullptr);
    setInteger(env, object, cls.get(), umsg::kFieldDyntHandle, 0);
  } else {
    rc = dynallocL(pip.get());
    // The request is read under the list's guard: another thread's member
    // test swaps its member meanwhile.
    std::string line, name;
    {
      DDGuard guard;
      if (traceWanted(kResults)) line = allocationLine(*pip, rc);
      name = pip->ddName.value_or("");
    }
    if (!line.empty()) traceLineL(kResults, "%s", line.c_str());
    reportDDError(env, object, cls.get(), umsg::kOpDynalloc, rc, pip.get());
    if (rc == 0) {
      setString(env, object, cls.get(), umsg::kFieldDDName, name.c_str());
    } else {
      requests().remove(handle);  // the service has taken it off its list
      setInteger(env, object, cls.get(), umsg::kFieldDyntHandle, 0);
    }
  }
  traceLineL(kSteps, umsg::kDynallocEnd, rc);
  return rc;
}

int dynfree(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kDynfreeBegin);
  LocalRef<jclass> cls = classOf(env, object);
  std::shared_ptr<PIP> pip = requests().get(getInteger(env, object, cls.get(), umsg::kFieldDyntHandle));
  if (!pip) {
    traceLineL(kSteps, "%s", umsg::kDynfreeNoPip);
    traceLineL(kSteps, umsg::kDynfreeEnd, 0);
    return 0;
  }
  int rc = dynfreeL(pip.get());
  reportDDError(env, object, cls.get(), umsg::kOpDynfree, rc, pip.get());
  traceLineL(kSteps, umsg::kDynfreeEnd, rc);
  return rc;
}

int dyndestroy(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kDyndestroyBegin);
  LocalRef<jclass> cls = classOf(env, object);
  std::shared_ptr<PIP> pip = requests().remove(getInteger(env, object, cls.get(), umsg::kFieldDyntHandle));
  if (!pip) {
    traceLineL(kSteps, "%s", umsg::kDyndestroyNoPip);
  } else {
    // A request still on the allocation list leaves it first (without the
    // file deletion of a release): the list never points at a released record.
    {
      DDGuard guard;
      if (auto node = findpip(pip.get())) removeElement(*node);
    }
    pip.reset();
    setInteger(env, object, cls.get(), umsg::kFieldDyntHandle, 0);
  }
  traceLineL(kSteps, "%s", umsg::kDyndestroyEnd);
  return 0;
}

jstring toHexString(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kToHexStringBegin);
  LocalRef<jclass> cls = classOf(env, object);
  std::shared_ptr<PIP> pip = requests().get(getInteger(env, object, cls.get(), umsg::kFieldDyntHandle));
  jstring result = nullptr;
  if (pip) {
    char buffer[kPipStringBufferSize];
    int rc;
    {
      DDGuard guard;
      rc = makeStringFromPIP(buffer, sizeof buffer, *pip);
    }
    // A request whose string does not fit the buffer gives no string.
    if (rc == 0) {
      result = newStringFromBytes(env, buffer);
    }
  }
  traceLineL(kSteps, "%s", umsg::kToHexStringEnd);
  return result;
}

int concatenate(JNIEnv* env, jobject object, jstring first, jstring second) {
  traceLineL(kSteps, "%s", umsg::kConcatenateBegin);
  CString firstName = GetString(env, first);
  CString secondName = GetString(env, second);
  int rc = -1;
  if (firstName && secondName) {
    int errcode = 0, infocode = 0;
    rc = concatenateDD(firstName.get(), secondName.get(), &errcode, &infocode);
    traceLineL(kResults, umsg::kConcatenate, secondName.get(), firstName.get());
    if (rc != 0) {
      LocalRef<jclass> cls = classOf(env, object);
      setInteger(env, object, cls.get(), umsg::kFieldErrcode, errcode & 0xFFFF);
      setInteger(env, object, cls.get(), umsg::kFieldInfocode, infocode & 0xFFFF);
    }
  }
  traceLineL(kSteps, "%s", umsg::kConcatenateEnd);
  return rc;
}

int test(JNIEnv* env, jobject object) {
  traceLineL(kSteps, "%s", umsg::kTestBegin);
  LocalRef<jclass> cls = classOf(env, object);
  CString ddName = getString(env, object, cls.get(), umsg::kFieldDDName);
  std::string name = ddName ? std::string(ddName.get()).substr(0, 8) : std::string();
  RequestBlock request;
  request.verb = 7;  // information retrieval
  request.textUnits.push_back({makeTextUnitBytes(kKeyDDNames, {name}), false});
  request.textUnits.push_back({makeTextUnitBytes(0x0005, {std::string(50, '\0')}), false});
  request.textUnits.push_back({makeTextUnitBytes(0x0006, {std::string(8, '\0')}), true});
  int rc = svc99(request);
  if (rc != 0) std::printf(umsg::kTestCodes, static_cast<unsigned>(request.error), static_cast<unsigned>(request.info));
  traceLineL(kSteps, "%s", umsg::kTestEnd);
  return rc;
}

}  // namespace

const char* statusText(int code) { return codeText(code, umsg::kStatusTexts); }
const char* dispositionText(int code) { return codeText(code, umsg::kDispTexts); }

std::string allocationLine(const PIP& pip, int rc) {
  const char* ddName = textOr(pip.ddName, "");
  unsigned errcode = code16(pip.errcode), infocode = code16(pip.infocode);
  if (pip.pathString)
    return format(umsg::kAllocPathLine, ddName, pip.pathString->c_str(), dispositionText(pip.pathNDisp),
                  dispositionText(pip.pathCDisp), rc, errcode, infocode);
  const char* dataset = pip.dsName ? pip.dsName->c_str() : textOr(pip.sysoutName, "");
  return format(umsg::kAllocLine, ddName, dataset, pip.member ? "(" : "", textOr(pip.member, ""),
                pip.member ? ")" : "", pip.volser ? umsg::kAllocVolser : "", textOr(pip.volser, ""),
                pip.unit ? umsg::kAllocUnit : "", textOr(pip.unit, ""), statusText(pip.status),
                dispositionText(pip.normdisp), dispositionText(pip.conddisp), rc, errcode, infocode);
}

std::shared_ptr<PIP> ddRequest(int handle) { return requests().get(handle); }
std::size_t ddRequestCount() { return requests().size(); }

}  // namespace kiv::utils

using namespace kiv::utils;

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_dyninitN(JNIEnv* env, jobject object) {
  return guarded("dyninitN", kiv::umsg::kNoMemoryRc, [&] { return dyninit(env, object); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_dynallocN(JNIEnv* env, jobject object) {
  return guarded("dynallocN", kiv::kDynallocRefused, [&] { return dynalloc(env, object); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(JNIEnv* env, jobject object) {
  return guarded("dynfreeN", -1, [&] { return dynfree(env, object); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(JNIEnv* env, jobject object) {
  return guarded("dyndestroyN", 0, [&] { return dyndestroy(env, object); });
}

JNIEXPORT jstring JNICALL Java_com_zov_kiv_host_KivDatasetDD_toHexStringN(JNIEnv* env, jobject object) {
  return guarded("toHexStringN", static_cast<jstring>(nullptr), [&] { return toHexString(env, object); });
}

JNIEXPORT jstring JNICALL Java_com_zov_kiv_host_KivDatasetDD_getConcatIdentN(JNIEnv* env, jobject) {
  return guarded("getConcatIdentN", static_cast<jstring>(nullptr), [&] {
    kiv::traceLineL(7, "%s", kiv::umsg::kGetConcatIdentBegin);
    return newStringFromBytes(env, kiv::umsg::kConcatMarker);
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_concatenateN(JNIEnv* env, jobject object, jstring first,
                                                                      jstring second) {
  return guarded("concatenateN", -1, [&] { return concatenate(env, object, first, second); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivDatasetDD_testN(JNIEnv* env, jobject object) {
  return guarded("testN", -1, [&] { return test(env, object); });
}
