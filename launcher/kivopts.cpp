// Command line, options and environment of the launcher.
#include "kivjava.h"
#include "kivmsg.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kiv {

std::vector<std::string> commandLineOptions;
std::vector<std::string> java11Properties;
std::vector<VMOption> javaVMOptions;
int traceOptionSpecified = 0;
int remoteDebugging = 0;
int loadJavaDebugVM = 0;
int testOptionSpecified = 0;
std::optional<std::string> mountpoint;
int32_t specifiedInitialHeapSize = 0;
int32_t specifiedMaxHeapSize = 0;
bool initialHeapSizeSpecified = false;
bool maxHeapSizeSpecified = false;
std::optional<std::string> tracefilepath;
TraceState trace;

ExitFunction exitProcess = [](int code) { std::exit(code); };
EnvLookup envLookup = [](const char* name) -> const char* { return std::getenv(name); };

void resetLauncherState() {
  commandLineOptions.clear();
  java11Properties.clear();
  javaVMOptions.clear();
  traceOptionSpecified = remoteDebugging = loadJavaDebugVM = testOptionSpecified = 0;
  mountpoint.reset();
  specifiedInitialHeapSize = specifiedMaxHeapSize = 0;
  initialHeapSizeSpecified = maxHeapSizeSpecified = false;
  tracefilepath.reset();
  trace = TraceState{};
}

// ---- the three lists -------------------------------------------------------

void addOptionToListOfCommandLineOptions(const char* option) {
  if (option) commandLineOptions.emplace_back(option);
}

void addPropertyToListOfJDK11Properties(const char* name, const char* value) {
  if (name && value) java11Properties.push_back(std::string(name) + "=" + value);
}

void addOptionToListOfJavaVMOptions(const char* name, const char* value) {
  if (!name) return;
  std::string option;
  if (!value)
    option = name;
  else if (name[0] == '-')
    option = std::string(name) + value;
  else
    option = std::string("-D") + name + "=" + value;
  javaVMOptions.push_back(VMOption{std::move(option), nullptr});
}

void addHookToListOfJavaVMOptions(const char* name, void* hook) {
  javaVMOptions.push_back(VMOption{name, hook});
}

std::vector<char*> terminatedJava11Properties() {
  std::vector<char*> out;
  out.reserve(java11Properties.size() + 1);
  for (auto& p : java11Properties) out.push_back(p.data());
  out.push_back(nullptr);
  return out;
}

// Both lists at once: name=value and -Dname=value.
static void addProperty(const char* name, const char* value) {
  addPropertyToListOfJDK11Properties(name, value);
  addOptionToListOfJavaVMOptions(name, value);
}

// ---- small helpers -----------------------------------------------------------

int testoption(const char* pattern, const char* argument, int exact) {
  if (!pattern || !argument) return 0;
  size_t n = std::strlen(pattern);
  if (std::strncmp(pattern, argument, n) != 0) return 0;
  if (exact && std::strlen(argument) != n) return 0;
  return 1;
}

int32_t atoml(const char* text) {
  if (!text) return 0;
  char* rest = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &rest, 10);
  // The size is a 32-bit long: out-of-range numbers saturate as they do there.
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  uint32_t multiplier = 1;
  if (std::strpbrk(rest, "Mm"))
    multiplier = MEGABYTE;
  else if (std::strpbrk(rest, "Kk"))
    multiplier = KILOBYTE;
  // A 32-bit signed product that wraps on overflow.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) * multiplier);
}

int strendswith(const char* string, const char* suffix) {
  if (!string || !suffix || !*string) return 0;
  return string[std::strlen(string) - 1] == suffix[0] ? 1 : 0;
}

std::string platformText(const char* windowsText) {
  std::string out(windowsText);
  for (char& c : out) {
    if (c == '\\')
      c = platform::kDirSep;
    else if (c == ';')
      c = platform::kPathListSep;
  }
  return out;
}

const char* buildStamp() { return __DATE__ " " __TIME__; }

void printUsage(const char* programName) { std::printf(msg::kUsage, programName); }

void printBanner() { std::printf(msg::kBanner, buildStamp()); }

// ---- environment ---------------------------------------------------------------

const char* getEnvvar(const char* name) {
  const char* value = envLookup(name);
  if (!value || !*value) return nullptr;
  traceLine(msg::kEnvvarTrace, name, value);
  return value;
}

const char* getNextVar(const char* name, int number) {
  std::string numbered = format("%s%d", name, number);
  return getEnvvar(numbered.c_str());
}

std::optional<std::string> getAndConcatenateEnvvar(const char* name, size_t* finalRoom) {
  const char* first = getNextVar(name, 1);
  if (!first) return std::nullopt;
  // The room grows in steps so that a few long values cost few copies:
  // when a value would reach the room, room += length + 257.
  size_t room = 256;
  std::string joined;
  joined.reserve(room + 1);
  const char* value = first;
  for (int number = 2; value; ++number) {
    size_t length = std::strlen(value);
    if (joined.size() + length >= room) {
      room += length + 257;
      joined.reserve(room + 1);
    }
    joined += value;
    value = getNextVar(name, number);
  }
  if (finalRoom) *finalRoom = room;
  return joined;
}

// ---- command line ----------------------------------------------------------------

void parseArgs(int argc, char** argv) {
  const char* programName = (argc > 0 && argv[0]) ? argv[0] : "kivjava";
  addProperty("KivJava.programfile", programName);

  int positional = 0;
  if (argc > 1 && std::strcmp(argv[1], "-envparms") == 0) {
    if (const char* properties = getEnvvar("KIVPROPERTIES")) {
      addProperty("KivJava.propertyfile", properties);
      ++positional;
    }
    if (const char* tracePath = getEnvvar("KIVTRACEPATH")) {
      tracefilepath = tracePath;
      ++positional;
    }
    if (const char* options = getEnvvar("KIVOPTIONS")) {
      std::string text(options);
      size_t pos = 0;
      while (pos < text.size()) {
        size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos) break;
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        addOptionToListOfCommandLineOptions(text.substr(start, end - start).c_str());
        pos = end;
      }
    }
  } else {
    for (int i = 1; i < argc; ++i) {
      const char* arg = argv[i];
      if (!arg) continue;
      if (arg[0] == '-') {
        addOptionToListOfCommandLineOptions(arg);
        continue;
      }
      ++positional;
      if (positional == 1)
        addProperty("KivJava.propertyfile", arg);
      else if (positional == 2)
        tracefilepath = arg;
      else
        error(msg::kTooManyParameters);
    }
  }

  testallopts1(programName);

  if (positional < 1) error(msg::kNoPropertyFile);
}

void testallopts1(const char* programName) {
  testOptionSpecified = 0;
  traceOptionSpecified = 0;
  for (const std::string& option : commandLineOptions) {
    const char* o = option.c_str();
    if (testoption("-help", o, 1) || testoption("-?", o, 1) || testoption("-h", o, 1)) {
      printUsage(programName);
      std::fflush(stdout);
      error(nullptr);
    } else if (testoption("-version", o, 1)) {
      printBanner();
      std::fflush(stdout);
      error(nullptr);
    } else if (testoption("-trace", o, 1) || testoption("-t", o, 1)) {
      traceOptionSpecified = 1;
    } else if (testoption("-debug", o, 1)) {
      loadJavaDebugVM = 1;
    } else if (testoption("-test", o, 1)) {
      testOptionSpecified = 1;
    } else if (testoption("-test", o, 0)) {
      testOptionSpecified = 1;
      mountpoint = std::string("/") + (o + 5);
      if (traceOptionSpecified) std::printf(msg::kMountpointDefined, mountpoint->c_str());
    } else if (testoption("-remotedebug", o, 1)) {
      remoteDebugging = 1;
    }
  }
  if (!mountpoint) mountpoint = std::string();
}

// A heap size of "-ms", "-mx" or "-s": sizes up to 999 bytes, and sizes that
// wrapped to a negative value, do not count.
static bool takeHeapSize(const char* text, int32_t& target) {
  int32_t n = atoml(text);
  if (n <= 999) return false;
  target = n;
  return true;
}

void testallopts2(JDK1_1InitArgs* initArgs) {
  for (const std::string& option : commandLineOptions) {
    const char* o = option.c_str();
    if (testoption("-trace", o, 1) || testoption("-t", o, 0) || testoption("-test", o, 1) ||
        testoption("-debug", o, 1) || testoption("-remotedebug", o, 1)) {
      // handled in pass 1
    } else if (testoption("-verbose", o, 1) || testoption("-v", o, 1)) {
      addPropertyToListOfJDK11Properties("KivJava.verboseclassload", "1");
      // One option per kind: today's VMs take no list after "-verbose:".
      addOptionToListOfJavaVMOptions("-verbose:class", nullptr);
      addOptionToListOfJavaVMOptions("-verbose:jni", nullptr);
      addOptionToListOfJavaVMOptions("KivJava.verboseclassload", "1");
      if (initArgs) initArgs->verbose = 1;
    } else if (testoption("-nojit", o, 1)) {
      addPropertyToListOfJDK11Properties("java.compiler", "");
      // java.compiler no longer switches today's JIT off; -Xint does. Runtimes
      // of JNI 21 and later warn about the property: they get -Xint alone.
      if (runtimeKnowsJavaCompiler()) addOptionToListOfJavaVMOptions("-Djava.compiler=NONE", nullptr);
      addOptionToListOfJavaVMOptions("-Xint", nullptr);
    } else if (testoption("-ms", o, 0)) {
      if (takeHeapSize(o + 3, specifiedInitialHeapSize)) initialHeapSizeSpecified = true;
    } else if (testoption("-mx", o, 0)) {
      if (takeHeapSize(o + 3, specifiedMaxHeapSize)) maxHeapSizeSpecified = true;
    } else if (testoption("-s", o, 0)) {
      if (takeHeapSize(o + 2, specifiedMaxHeapSize)) maxHeapSizeSpecified = true;
    } else if (testoption("-checkjni", o, 1)) {
      // "-Xcheck:nabounds" went with it once; today's VMs refuse to start with it.
      addOptionToListOfJavaVMOptions("-Xcheck:jni", nullptr);
    } else if (testoption("-recordcommands", o, 1)) {
      addProperty("KivJava.recordcommands", "1");
    } else {
      std::string text = format(msg::kIllegalOption, o);
      if (text.size() >= kMessageBufferSize) text.resize(kMessageBufferSize - 1);
      error(text.c_str());
    }
  }
}

}  // namespace kiv
