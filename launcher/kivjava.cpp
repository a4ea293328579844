// The launcher's main flow: settings, the Java VM, and kiv_main.
#include "kivjava.h"
#include "kivmsg.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kiv {

namespace {

// Set while JNI_CreateJavaVM runs. A VM that gives up during its start ends
// the process itself (through its exit or abort hook, or plainly by exit);
// the launcher then reports "Failed to create JVM." and exits with 16. The
// VM may call its hooks from threads of its own, hence atomic.
std::atomic<bool> creatingVM{false};

[[noreturn]] void failedToCreateVM() {
  creatingVM = false;
  reportFatal(msg::kFailedToCreateJvm);
  std::_Exit(kFatalExitCode);
}

void JNICALL vmExitHook(jint /*code*/) {
  // After the start the VM ends the process with the code itself (System.exit).
  if (creatingVM) failedToCreateVM();
}

void JNICALL vmAbortHook() {
  if (creatingVM) failedToCreateVM();
}

void exitGuard() {
  if (creatingVM) failedToCreateVM();
}

// The class path of the VM: the system class path, then the extension class
// path, with a separator between them where the first lacks one.
std::optional<std::string> combineClassPaths(const std::optional<std::string>& system,
                                             const std::optional<std::string>& extension) {
  size_t total = (system ? system->size() : 0) + (extension ? extension->size() : 0);
  if (total == 0) return std::nullopt;
  std::string out = system.value_or(std::string());
  if (system && extension && !strendswith(system->c_str(), platform::kPathListSepStr))
    out += platform::kPathListSep;
  out += extension.value_or(std::string());
  return out;
}

int runMainMode(int argc, char** argv) {
  const char* programName = (argc > 0 && argv[0]) ? argv[0] : "kivjava";

  parseArgs(argc, argv);

  if (traceOptionSpecified) {
    std::printf(msg::kStarting, programName);
    startTrace(programName);
  }

  std::optional<std::string> pathCopy;
  if (const char* path = getEnvvar("PATH")) pathCopy = path;

  std::optional<std::string> javaHome;
  if (const char* home = getEnvvar("JAVA_HOME")) {
    javaHome = home;
    if (strendswith(javaHome->c_str(), platform::kDirSepStr)) javaHome->pop_back();
  }
  std::printf(msg::kSpecifiedJavaHome, javaHome ? javaHome->c_str() : "(null)");

  const char* home = javaHome ? javaHome->c_str() : nullptr;
  const int level = loadJNI(pathCopy ? pathCopy->c_str() : nullptr, home);

  std::optional<std::string> extensionClassPath = getAndConcatenateEnvvar("KIVPLUGINCLASSPATH");
  std::optional<std::string> systemClassPath = getAndConcatenateEnvvar("KIVCLASSPATH");
  if (systemClassPath) {
    systemClassPath = insertRuntimeClassesInClasspath(home, std::move(systemClassPath), level);
  } else if (const char* classpath = getEnvvar("CLASSPATH")) {
    systemClassPath = classpath;
  } else {
    std::printf("%s", msg::kNoClasspath);
  }
  std::optional<std::string> classPath = combineClassPaths(systemClassPath, extensionClassPath);

  if (home) {
    addPropertyToListOfJDK11Properties("java.home", home);
    addOptionToListOfJavaVMOptions("java.home", home);
  }
  if (trace.active()) {
    addPropertyToListOfJDK11Properties("KivJava.tracefile", trace.tracefile.c_str());
    addOptionToListOfJavaVMOptions("KivJava.tracefile", trace.tracefile.c_str());
  }

  specifiedMaxHeapSize = 128 * MEGABYTE;

  JDK1_1InitArgs args11{};
  JavaVMInitArgs args13{};
  std::vector<char*> properties11;
  std::vector<JavaVMOption> options13;
  void* initArgs = nullptr;

  if (level == 11) {
    args11.version = 0x00010001;
    if (pfnGetDefaultJavaVMInitArgs(&args11) < 0) error(msg::kJvmVersionNotSupported);
    specifiedInitialHeapSize = args11.minHeapSize;
    testallopts2(&args11);
    args11.minHeapSize = specifiedInitialHeapSize;
    args11.maxHeapSize = specifiedMaxHeapSize;
    properties11 = terminatedJava11Properties();
    args11.properties = properties11.data();
    args11.classpath = classPath ? classPath->data() : nullptr;
    args11.exit = vmExitHook;
    args11.abort = vmAbortHook;
    traceJDK11InitArgs(&args11);
    initArgs = &args11;
  } else {
    args13.version = JNI_VERSION_1_2;
    specifiedInitialHeapSize = MEGABYTE;
    testallopts2(&args11);
    // Only sizes the user gave reach the VM; otherwise it keeps its defaults.
    if (initialHeapSizeSpecified)
      addOptionToListOfJavaVMOptions(format("-Xms%d", specifiedInitialHeapSize).c_str(), nullptr);
    if (maxHeapSizeSpecified)
      addOptionToListOfJavaVMOptions(format("-Xmx%d", specifiedMaxHeapSize).c_str(), nullptr);
    if (remoteDebugging) {
      // "-Xnoagent" went with these once; today's VMs refuse to start with it.
      // "-Xdebug" has done nothing for long and runtimes of JNI 21 and later
      // warn about it (and about java.compiler): they get -Xint instead.
      if (runtimeKnowsJavaCompiler()) {
        addOptionToListOfJavaVMOptions("-Xdebug", nullptr);
        addOptionToListOfJavaVMOptions("-Djava.compiler=NONE", nullptr);
      } else {
        addOptionToListOfJavaVMOptions("-Xint", nullptr);
      }
      addOptionToListOfJavaVMOptions("-Xrunjdwp:transport=dt_socket,server=y,address=7000", nullptr);
    }
    // Without any class path the VM keeps its default (the current
    // directory): a bare "java.class.path" would make it refuse to start.
    if (classPath) addOptionToListOfJavaVMOptions("java.class.path", classPath->c_str());
    // From JNI 24 on a runtime warns when the application loads its native
    // library, and announces that it will refuse to: the host application
    // needs kivutils, so the launcher grants native access.
    if (runtimeSupportsJniVersion(kJniVersion24))
      addOptionToListOfJavaVMOptions("--enable-native-access=ALL-UNNAMED", nullptr);
    addHookToListOfJavaVMOptions("exit", reinterpret_cast<void*>(vmExitHook));
    addHookToListOfJavaVMOptions("abort", reinterpret_cast<void*>(vmAbortHook));
    traceJavaVMOptions();
    for (VMOption& o : javaVMOptions) options13.push_back(JavaVMOption{o.optionString.data(), o.extraInfo});
    args13.options = options13.data();
    args13.nOptions = static_cast<jint>(options13.size());
    args13.ignoreUnrecognized = JNI_FALSE;
    initArgs = &args13;
  }

  if (traceOptionSpecified) consoleAndTrace("%s", msg::kCreatingJvm);
  std::fflush(stdout);
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  creatingVM = true;
  std::atexit(exitGuard);
  jint created = pfnCreateJavaVM(&vm, reinterpret_cast<void**>(&env), initArgs);
  creatingVM = false;
  if (created < 0) error(msg::kFailedToCreateJvm);

  if (traceOptionSpecified) consoleAndTrace(msg::kLoadingClass, msg::kInvocationClass);
  jclass cls = env->FindClass(msg::kInvocationClass);
  if (!cls) error(msg::kNoInvocationClass);
  if (traceOptionSpecified) std::printf("%s", msg::kLocatingMain);
  jmethodID mainMethod = env->GetStaticMethodID(cls, msg::kMainMethod, msg::kMainSignature);
  if (!mainMethod) error(msg::kNoMainMethod);
  if (traceOptionSpecified) std::printf("%s", msg::kBuildingArgs);
  jstring empty = env->NewStringUTF("");
  if (!empty) error(msg::kNoArgumentString);
  jobjectArray array = env->NewObjectArray(0, env->FindClass("java/lang/String"), empty);
  if (!array) error(msg::kNoArgumentArray);
  if (traceOptionSpecified) std::printf(msg::kCalling, msg::kMainMethod);
  std::fflush(stdout);

  int result = env->CallStaticIntMethod(cls, mainMethod, array);
  if (jthrowable pending = env->ExceptionOccurred()) {
    // The int of a method that threw means nothing: show the exception and
    // end as a failure rather than with a made-up success.
    env->ExceptionDescribe();
    env->ExceptionClear();
    env->DeleteLocalRef(pending);
    result = kFatalExitCode;
    consoleAndTrace(msg::kUncaughtException, msg::kMainMethod, result);
  }
  std::fflush(stderr);

  if (traceOptionSpecified) consoleAndTrace(msg::kReturnCode, result, msg::kMainMethod);
  if (traceOptionSpecified) std::printf("%s", msg::kDestroyingJvm);
  std::fflush(stdout);
  vm->DestroyJavaVM();
  freeJNI();
  if (traceOptionSpecified) endTrace();
  if (traceOptionSpecified) std::printf("%s", msg::kDeallocating);
  mountpoint.reset();
  tracefilepath.reset();
  commandLineOptions.clear();
  java11Properties.clear();
  javaVMOptions.clear();
  if (traceOptionSpecified) std::printf("%s", msg::kDone);
  std::fflush(stdout);
  return result;
}

}  // namespace

int runLauncher(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], msg::kSpawnSystemOption) == 0) return spawnclient_system(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], msg::kSpawnAttachOption) == 0) return spawnclient_attach(argc, argv);
  try {
    return runMainMode(argc, argv);
  } catch (const std::bad_alloc&) {
    error(msg::kListAllocFailed);
  }
}

}  // namespace kiv
