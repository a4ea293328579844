// The launcher's state and functions: command line and environment
// (kivopts.cpp), trace and fatal errors (kivltrace.cpp), loading of the Java
// runtime (kivjni.cpp) and the main flow (kivjava.cpp).
#pragma once

#include "jdk11.h"
#include "kivplatform.h"
#include "kivtrace.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

inline constexpr int32_t MEGABYTE = 0x100000;
inline constexpr int32_t KILOBYTE = 0x400;
inline constexpr int kFatalExitCode = 16;
// The longest "Illegal option" message, terminator included.
inline constexpr size_t kMessageBufferSize = 256;

// One JNI 1.2 VM option: the option string and, for the VM's hooks, the
// function it names.
struct VMOption {
  std::string optionString;
  void* extraInfo = nullptr;
};

// ---- launcher state (one per process) --------------------------------------
extern std::vector<std::string> commandLineOptions;
extern std::vector<std::string> java11Properties;
extern std::vector<VMOption> javaVMOptions;
extern int traceOptionSpecified;
extern int remoteDebugging;
extern int loadJavaDebugVM;
extern int testOptionSpecified;
extern std::optional<std::string> mountpoint;
extern int32_t specifiedInitialHeapSize;
extern int32_t specifiedMaxHeapSize;
// Set when "-ms" or "-mx"/"-s" gave a size that counts, so that the user's
// sizes (and only those) reach a JNI 1.2 VM.
extern bool initialHeapSizeSpecified;
extern bool maxHeapSizeSpecified;
extern std::optional<std::string> tracefilepath;
extern TraceState trace;  // tracefile, tracelevel, insertTimeStamp

// Back to the state of a process that has just started (for tests).
void resetLauncherState();

// ---- process exit ------------------------------------------------------------
// How the launcher ends the process; std::exit unless a test replaces it
// (a replacement must not return).
using ExitFunction = void (*)(int code);
extern ExitFunction exitProcess;

// ---- command line, options and environment (kivopts.cpp) -------------------
void addOptionToListOfCommandLineOptions(const char* option);
void addPropertyToListOfJDK11Properties(const char* name, const char* value);
void addOptionToListOfJavaVMOptions(const char* name, const char* value);
void addHookToListOfJavaVMOptions(const char* name, void* hook);
// java11Properties as the null-terminated array the JDK 1.1 record takes.
std::vector<char*> terminatedJava11Properties();

int testoption(const char* pattern, const char* argument, int exact);
int32_t atoml(const char* text);
int strendswith(const char* string, const char* suffix);
// A path or list text written the Windows way, with the platform's separators.
std::string platformText(const char* windowsText);

void printUsage(const char* programName);
void printBanner();
const char* buildStamp();

// How the environment is read; std::getenv unless a test replaces it.
using EnvLookup = const char* (*)(const char* name);
extern EnvLookup envLookup;
const char* getEnvvar(const char* name);
const char* getNextVar(const char* name, int number);
// name1, name2, ... joined until the first gap; no value when name1 has none.
// finalRoom, when given, receives the room the joining buffer grew to.
std::optional<std::string> getAndConcatenateEnvvar(const char* name, size_t* finalRoom = nullptr);

void parseArgs(int argc, char** argv);
void testallopts1(const char* programName);
void testallopts2(JDK1_1InitArgs* initArgs);

// ---- trace and fatal errors (kivltrace.cpp) ----------------------------------
// traceLine and traceLineL (kivtrace.h) write through `trace`.
// printf on the console, and the same text as a trace line.
void consoleAndTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The trace file's full name for a start time: directory, separator, name.
std::string traceFileName(const std::optional<std::string>& directory, std::time_t startTime);
// Creates every directory of the chain; reports failures other than EEXIST.
void makeTraceDirectories(const std::string& path);
void startTrace(const char* title);
void endTrace();
// Reports a fatal error (console, trace, footer) without ending the process.
void reportFatal(const char* message);
[[noreturn]] void error(const char* message);
void traceJDK11InitArgs(const JDK1_1InitArgs* initArgs);
void traceJavaVMOptions();

// ---- Java runtime (kivjni.cpp) ----------------------------------------------
extern platform::LibraryHandle hLib;
extern GetDefaultJavaVMInitArgs_t pfnGetDefaultJavaVMInitArgs;
extern CreateJavaVM_t pfnCreateJavaVM;

int loadJNI(const char* path, const char* javaHome);
int tryToLoadJNILibrary(const char* javaHome, const char* path, int level);
void freeJNI();
// Whether the loaded runtime knows a JNI version (asked through
// JNI_GetDefaultJavaVMInitArgs; false when it lacks that entry point).
bool runtimeSupportsJniVersion(jint version);
// JNI versions the launcher asks about (not in every jni.h it is built with).
inline constexpr jint kJniVersion21 = 0x00150000;
inline constexpr jint kJniVersion24 = 0x00180000;
// Whether the loaded runtime still takes the java.compiler property (and
// -Xdebug) without a warning: runtimes before JNI 21, and when no runtime is
// loaded yet.
bool runtimeKnowsJavaCompiler();
std::optional<std::string> insertRuntimeClassesInClasspath(const char* javaHome,
                                                           std::optional<std::string> classPath,
                                                           int level);

// ---- main flow (kivjava.cpp) -------------------------------------------------
// The spawned-client modes when argv[1] asks for one, else the main mode.
int runLauncher(int argc, char** argv);

// ---- spawned-client modes (kivspawn.cpp) ----------------------------------------
// Missing argument positions count as empty.
int spawnclient_system(int argc, char** argv);
int spawnclient_attach(int argc, char** argv);

// The command buffer of the system mode: 1023 characters and a terminator.
inline constexpr size_t kSpawnCommandBufferSize = 1024;
enum CommandRead { kCommandRead, kCommandEnd, kCommandTooLong };
// Reads one line without its line end (LF or CR LF). A longer line than the
// buffer holds is read to its end and refused (kCommandTooLong).
int readCommandLine(std::FILE* in, std::string& line);

}  // namespace kiv
