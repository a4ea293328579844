// Every text that kivjava shows a user or writes to its trace file, in one
// place. printf formats keep their exact original spelling ("%0.8x" prints as
// "%.8x" does). Paths are written the Windows way here; the launcher turns
// '\' and ';' into the platform's separators where it uses them
// (platformText in kivargs.h).
#pragma once

// Compilers warn that "%0.8x" ignores its '0'; the texts keep their spelling.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"

namespace kiv::msg {

// ---- usage and banner -------------------------------------------------------
inline constexpr const char* kUsage =
    "Usage: %s [options] property_file [trace_file_path]\n"
    "\n"
    "Property file:\n"
    "    containing the input properties\n"
    "Trace file path:\n"
    "    optional path for trace output file for native routines\n"
    "Options:\n"
    "    -h, -help, -?     print this help message\n"
    "    -t, -trace        turn on trace mode\n"
    "    -v, -verbose      turn on verbose mode for classes and JNI\n"
    "    -ms<number>       set the initial Java heap size (in k or M)\n"
    "    -mx<number>       set the maximum Java heap size (in k or M)\n"
    "    -nojit            disable JIT compiler\n"
    "    -debug            use debug JVM (java_g)\n"
    "    -checkjni         extended checks for JNI\n"
    "    -remotedebug      start JVM listening on port 7000 for remote debugging\n"
    "    -recordcommands   record all output from console and TSO commands,\n"
    "                      utilities (output file is: kivjava.utility.output)\n";
inline constexpr const char* kBanner = "Hollarin, Version 1.4\nInvocation Class Loader (%s)\n\n";
inline constexpr const char* kMountpointDefined = "Mountpoint for KIV defined: '%s'\n";

// ---- fatal errors (through error(): exit code 16) ---------------------------
inline constexpr const char* kErrorFormat = "Error: %s\nTerminating...\n";
inline constexpr const char* kTooManyParameters = "Too many parameters.";
inline constexpr const char* kNoPropertyFile = "At least a property file name must be specified.";
inline constexpr const char* kIllegalOption = "Illegal option '%s'";
inline constexpr const char* kEnvAllocFailed = "Memory allocation for an environment variable failed.";
inline constexpr const char* kListAllocFailed = "Memory allocation for an option list failed.";
inline constexpr const char* kUnableToLoadRuntime = "Unable to load Java runtime library.";
inline constexpr const char* kUnableToLocateJni = "Unable to locate JNI functions in loaded runtime library.";
inline constexpr const char* kJvmVersionNotSupported = "JVM Version not supported.";
inline constexpr const char* kFailedToCreateJvm = "Failed to create JVM.";
inline constexpr const char* kNoInvocationClass = "Could not load invocation class.";
inline constexpr const char* kNoMainMethod = "Could not find main method.";
inline constexpr const char* kNoArgumentString = "Could not create string for argument array.";
inline constexpr const char* kNoArgumentArray = "Could not create argument array.";

// ---- trace file (the time in the header and footer is asctime's text,
// which carries its own line end) -------------------------------------------------------------
inline constexpr const char* kDefaultTracefile = "TRC.KIVUTILS.20010101000000GMT.TXT";
inline constexpr const char* kTracefileFormat = "TRC.KIVUTILS.%Y%m%d%H%M%SGMT.TXT";
inline constexpr const char* kMakeDirFailed = "Make directory '%s' for trace file failed with errno=%d.\n";
inline constexpr const char* kOpeningTrace = "Opening trace file '%s'...\n";
inline constexpr const char* kTraceHeader = "%s\nVersion: %s\n\nTrace started at %s\n";
inline constexpr const char* kFinishingTrace = "Finishing trace...\n";
inline constexpr const char* kTraceFooter = "\nTrace ended at %s\n";
inline constexpr const char* kEnvvarTrace = "%s=%s\n";

inline constexpr const char* kInitArgContents = "InitArg Contents:\n";
inline constexpr const char* kInitArgVersion = "\tversion=%0.8x\n";
inline constexpr const char* kInitArgPropertiesBegin = "\tproperties {\n";
inline constexpr const char* kInitArgProperty = "\t\t%s\n";
inline constexpr const char* kInitArgPropertiesEnd = "\t}\n";
inline constexpr const char* kInitArgCheckSource = "\tcheckSource=%d\n";
inline constexpr const char* kInitArgNativeStackSize = "\tnativeStackSize=%d (x%x)\n";
inline constexpr const char* kInitArgJavaStackSize = "\tjavaStackSize=%d (x%x)\n";
inline constexpr const char* kInitArgMinHeapSize = "\tminHeapSize=%d (x%x)\n";
inline constexpr const char* kInitArgMaxHeapSize = "\tmaxHeapSize=%d (x%x)\n";
inline constexpr const char* kInitArgVerifyMode = "\tverifyMode=%d\n";
inline constexpr const char* kInitArgClasspathPtr = "\tclasspath(ptr)=%p\n";
inline constexpr const char* kInitArgClasspathStr = "\tclasspath(str)=%s\n";
inline constexpr const char* kInitArgPrintHook = "\tprinthook=%p\n";
inline constexpr const char* kInitArgExitHook = "\texithook=%p\n";
inline constexpr const char* kInitArgAbortHook = "\taborthook=%p\n";
inline constexpr const char* kInitArgEnableClassGC = "\tenableClassGC=%d\n";
inline constexpr const char* kInitArgEnableVerboseGC = "\tenableVerboseGC=%d\n";
inline constexpr const char* kInitArgDisableAsyncGC = "\tdisableAsyncGC=%d\n";
inline constexpr const char* kInitArgVerbose = "\tverbose=%d\n";
inline constexpr const char* kJavaVMOptions = "JavaVMOptions:\n";
inline constexpr const char* kJavaVMOption = "\t%s\n";

// ---- runtime loading --------------------------------------------------------
inline constexpr const char* kJrePath11b = "\\bin;";
inline constexpr const char* kJrePath13b = "\\jre\\bin\\classic;";
inline constexpr const char* kLoadedLibrary = "Loaded library '%s'.\n";
inline constexpr const char* kLoadedLibraryIn = "Loaded library '%s' in '%s%s'.\n";
// Where the platform names the file it loaded (POSIX), and on Windows for one
// found below JAVA_HOME: the file, then one of the three ways it was found.
inline constexpr const char* kLoadedLibraryFile = "Loaded library '%s' (%s).\n";
inline constexpr const char* kFoundBySearch = "found by the system's library search";
inline constexpr const char* kFoundInJavaHome = "found in JAVA_HOME";
inline constexpr const char* kFoundThroughJava = "found through the java on PATH";
// Trace only: a place tried that did not load.
inline constexpr const char* kLibraryNotLoaded = "Loading library '%s' returned errno=%d (0x%0.4x).\n";
inline constexpr const char* kRuntimeArchives11 = "\\lib\\classes.zip;";
inline constexpr const char* kRuntimeArchive13 = "\\jre\\lib\\rt.jar;";
inline constexpr const char* kNoRuntimeExplanation =
    "\n"
    "Error:\n"
    "Java Runtime library cannot be loaded.\n"
    "\n"
    "Explanation:\n"
    "No Java library could be loaded.\n"
    "Attempting to load the Java 1.4 library (%s) returned errno=%d (0x%0.4x).\n"
    "Attempting to load the Java 1.3 library (%s) returned errno=%d (0x%0.4x).\n"
    "Attempting to load the Java 1.1 library (%s) returned errno=%d (0x%0.4x).\n"
    "\n"
    "System action:\n"
    "The Hollarin host framework cannot be started.\n"
    "\n"
    "User response:\n"
    "1) Ensure that the runtime library for your Java version exists\n"
    "   on your driving system.\n"
    "2) Ensure that either JAVA_HOME or LIBPATH is set correctly.\n"
    "3) Check if the user who starts the host jobs has 'execute' permission\n"
    "   for this library.\n"
    "4) Check if the library is APF authorized.\n"
    "If the problem persists, contact ZOV support.\n"
    "\n";

// ---- main flow --------------------------------------------------------------
inline constexpr const char* kInvocationClass = "com/zov/kiv/host/KivJava";
inline constexpr const char* kMainMethod = "kiv_main";
inline constexpr const char* kMainSignature = "([Ljava/lang/String;)I";
inline constexpr const char* kStarting = "Starting '%s'...\n";
inline constexpr const char* kSpecifiedJavaHome = "Specified JAVA_HOME is '%s'\n";
inline constexpr const char* kNoClasspath = "Warning: No classpath set.\n";
inline constexpr const char* kCreatingJvm = "Creating JVM...\n";
inline constexpr const char* kLoadingClass = "Loading invocation class (%s)...\n";
inline constexpr const char* kLocatingMain = "Locating main method...\n";
inline constexpr const char* kBuildingArgs = "Building argument list...\n";
inline constexpr const char* kCalling = "Calling %s...\n";
inline constexpr const char* kReturnCode = "Return code '%d' from %s\n";
inline constexpr const char* kUncaughtException = "Exception in %s not caught; return code set to %d.\n";
inline constexpr const char* kDestroyingJvm = "Destroying JVM...\n";
inline constexpr const char* kDeallocating = "Deallocating resources...\n";
inline constexpr const char* kDone = "Done.\n";

// ---- spawned-client modes ------------------------------------------------------
inline constexpr const char* kSpawnSystemOption = "-spawnclient_system";
inline constexpr const char* kSpawnAttachOption = "-spawnclient_attach";
inline constexpr const char* kSpawnReturnCode = "return code from system call: %0.12d (%0.8x)\n";
inline constexpr const char* kChildEndMarker = "-00000-child-end-00000-";
inline constexpr const char* kSpawnSystemBegin = "spawnclient_system() begin\n";
inline constexpr const char* kSpawnSystemCommand = "spawnclient_system(): '%s'\n";
inline constexpr const char* kSpawnSystemEnd = "spawnclient_system() end\n";
inline constexpr const char* kSpawnCommandTooLong = "spawnclient_system(): command line longer than %d characters refused\n";
inline constexpr const char* kSpawnAttachArgument = "argv[%d]: %s\n";
inline constexpr const char* kSpawnAttachBegin = "spawnclient_attach() begin\n";
inline constexpr const char* kSpawnAttachEnd = "spawnclient_attach() end\n";

}  // namespace kiv::msg

#pragma GCC diagnostic pop
