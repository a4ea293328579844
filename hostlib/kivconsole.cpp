// Native methods of KivConsoleCommand: simulated operator consoles. A
// console is activated and deactivated in the trace only, a command is
// traced, and every collection delivers the same three messages.
#include "com_zov_kiv_host_KivConsoleCommand.h"
#include "kivhandles.h"
#include "kivhostsvc.h"
#include "kivjnicall.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivtext.h"
#include "kivutilsmsg.h"

#include <cstring>
#include <memory>

namespace kiv::utils {

Console::Console(const char* text) : returnCode(&retcode) {
  // Only the first 8 bytes fit the console name, cut where no character
  // is split.
  std::memcpy(mcsname, text, utf8Prefix(text, sizeof mcsname));
}

std::string Console::name() const { return std::string(mcsname, strnlen(mcsname, sizeof mcsname)); }

namespace {

constexpr int kResults = 0;  // lines of level 1 and up
constexpr int kSteps = 7;    // lines of level 8 and up

HandleTable<Console>& consoles() {
  static HandleTable<Console> table;
  return table;
}

// Issue (consCmd): traces the command; a command that cannot be copied is
// left out. Always 0.
int consCmd(JNIEnv* env, jstring command) {
  CString text = GetString(env, command);
  if (!text) return 0;
  traceLineL(kResults, umsg::kConsoleCommand, text.get());
  traceLineL(kSteps, "%s", umsg::kConsCmd);
  traceLineL(kSteps, umsg::kConsCmdRc, 0);
  return 0;
}

// Collect (consGms): appends the messages to vector through its addElement,
// whose ID the console keeps from its first collection. -1 when the vector
// has none.
int consGms(JNIEnv* env, Console& console, int /*count: the simulation delivers one batch*/, jobject vector) {
  traceLineL(kSteps, "%s", umsg::kConsGms);
  // The ID that fits this vector: the cached one when the vector is of the
  // cached class, else its own class's, which then becomes the cached one.
  // Either stays valid for the call: the vector keeps its class loaded.
  jmethodID addElement = nullptr;
  {
    std::lock_guard lock(console.cacheLock);
    if (console.addElement) {
      if (vector && env->IsInstanceOf(vector, console.vectorClass)) {
        addElement = console.addElement;
      } else {
        env->DeleteGlobalRef(console.vectorClass);  // the cache belongs to another class
        console.vectorClass = nullptr;
        console.addElement = nullptr;
      }
    }
  }
  if (!addElement) {
    LocalRef<jclass> cls = classOf(env, vector);
    addElement = cls ? env->GetMethodID(cls.get(), umsg::kAddElement, umsg::kSigAddElement) : nullptr;
    if (!addElement) {
      // The VM raised NoSuchMethodError; the method goes on without it.
      if (env->ExceptionCheck()) env->ExceptionClear();
      traceLineL(kResults, "%s", umsg::kAddElementMissing);
      return -1;
    }
    auto global = static_cast<jclass>(env->NewGlobalRef(cls.get()));
    if (!global) {
      if (env->ExceptionCheck()) env->ExceptionClear();
      return -1;
    }
    std::lock_guard lock(console.cacheLock);
    if (console.deleted) {
      env->DeleteGlobalRef(global);
    } else {
      if (console.vectorClass) env->DeleteGlobalRef(console.vectorClass);
      console.vectorClass = global;
      console.addElement = addElement;
    }
  }
  traceLineL(kSteps, umsg::kConsWtmRc, 0);
  int count;
  {
    std::lock_guard lock(console.cacheLock);
    count = console.msgbufn = umsg::kConsoleMessageCount;
  }
  traceLineL(kSteps, umsg::kConsGmsRc, 0);
  for (int i = 0; i < count; ++i) {
    LocalRef<jstring> message(env, newStringFromBytes(env, umsg::kConsoleMessage));
    if (!message) {
      traceLineL(kResults, umsg::kNewStringMemory, umsg::kConsoleMessage);
      return -1;
    }
    env->CallVoidMethod(vector, addElement, message.get());
    // An exception of addElement itself is the Java side's: it stays pending.
    if (env->ExceptionCheck()) return -1;
  }
  return 0;
}

// Lets go of the console's cached class; later collections cache nothing.
void dropCache(JNIEnv* env, Console& console) {
  std::lock_guard lock(console.cacheLock);
  console.deleted = true;
  if (console.vectorClass) env->DeleteGlobalRef(console.vectorClass);
  console.vectorClass = nullptr;
  console.addElement = nullptr;
}

// The codes of a failed operation go to the console object.
void reportCodes(JNIEnv* env, jobject object, const Console& console) {
  LocalRef<jclass> cls = classOf(env, object);
  setInteger(env, object, cls.get(), umsg::kFieldErrno, *console.returnCode);
  setInteger(env, object, cls.get(), umsg::kFieldErrno2, console.rsncode);
}

// Runs body(console) between the method's begin and end lines; -1 for
// handle 0 or a handle that names no console.
template <class F>
jint withConsole(const char* method, const char* begin, const char* end, jint handle, F&& body) {
  return guarded(method, -1, [&] {
    traceLineL(kSteps, "%s", begin);
    std::shared_ptr<Console> console = consoles().get(handle);
    int rc = console ? body(*console) : -1;
    traceLineL(kSteps, "%s", end);
    return rc;
  });
}

}  // namespace
}  // namespace kiv::utils

using namespace kiv::utils;
namespace umsg = kiv::umsg;
using kiv::traceLineL;

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivConsoleCommand_consoleCreateN(JNIEnv* env, jobject, jstring name) {
  return guarded("consoleCreateN", 0, [&] {
    traceLineL(kSteps, "%s", umsg::kConsoleCreateBegin);
    int handle = 0;
    if (CString text = GetString(env, name)) {
      auto console = std::make_shared<Console>(text.get());
      traceLineL(kSteps, "%s", umsg::kConsMak);
      traceLineL(kResults, umsg::kConsoleActivated, text.get());
      traceLineL(kSteps, umsg::kConsMakRc, 0);
      handle = consoles().add(std::move(console));
    }
    traceLineL(kSteps, "%s", umsg::kConsoleCreateEnd);
    return handle;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(JNIEnv* env, jobject, jint handle) {
  return guarded("consoleDeleteN", -1, [&] {
    traceLineL(kSteps, "%s", umsg::kConsoleDeleteBegin);
    int rc = -1;
    if (std::shared_ptr<Console> console = consoles().remove(handle)) {
      traceLineL(kSteps, "%s", umsg::kConsDel);
      traceLineL(kResults, umsg::kConsoleDeactivated, console->name().c_str());
      traceLineL(kSteps, umsg::kConsDelRc, 0);
      dropCache(env, *console);
      rc = 0;
    }
    traceLineL(kSteps, "%s", umsg::kConsoleDeleteEnd);
    return rc;
  });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandN(JNIEnv* env, jobject object,
                                                                               jint handle, jstring command,
                                                                               jobject vector) {
  return withConsole("consoleCommandN", umsg::kConsoleCommandBegin, umsg::kConsoleCommandEnd, handle,
                     [&](Console& console) {
                       consCmd(env, command);
                       int rc = consGms(env, console, umsg::kConsoleCommandCount, vector);
                       if (rc != 0 && !env->ExceptionCheck()) reportCodes(env, object, console);
                       return rc;
                     });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandIssueN(JNIEnv* env, jobject,
                                                                                    jint handle, jstring command) {
  return withConsole("consoleCommandIssueN", umsg::kConsoleIssueBegin, umsg::kConsoleIssueEnd, handle,
                     [&](Console&) { return consCmd(env, command); });
}

JNIEXPORT jint JNICALL Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandGetOutputN(JNIEnv* env,
                                                                                        jobject object,
                                                                                        jint handle, jint count,
                                                                                        jobject vector) {
  return withConsole("consoleCommandGetOutputN", umsg::kConsoleOutputBegin, umsg::kConsoleOutputEnd, handle,
                     [&](Console& console) {
                       int rc = consGms(env, console, count, vector);
                       if (rc != 0 && !env->ExceptionCheck()) reportCodes(env, object, console);
                       return rc;
                     });
}
