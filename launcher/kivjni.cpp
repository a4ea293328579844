// Finding and loading the Java runtime library.
#include "kivjava.h"
#include "kivmsg.h"

#include <cstdio>

namespace kiv {

platform::LibraryHandle hLib = nullptr;
GetDefaultJavaVMInitArgs_t pfnGetDefaultJavaVMInitArgs = nullptr;
CreateJavaVM_t pfnCreateJavaVM = nullptr;

namespace {

const char* sourceText(platform::LibrarySource source) {
  switch (source) {
    case platform::LibrarySource::javaHome:
      return msg::kFoundInJavaHome;
    case platform::LibrarySource::javaOnPath:
      return msg::kFoundThroughJava;
    case platform::LibrarySource::systemSearch:
      break;
  }
  return msg::kFoundBySearch;
}

// The load message: the file that was read and how it was found, where the
// platform names it always, elsewhere for a library found by its path; a
// library found by its bare name there gets the library's name with
// JAVA_HOME, as always.
std::string loadMessage(const platform::RuntimeCandidate& candidate, const char* javaHome, int level) {
  if (platform::kLoadMessageNamesLibraryFile || candidate.source != platform::LibrarySource::systemSearch) {
    std::string file = platform::libraryFile(hLib);
    return format(msg::kLoadedLibraryFile, file.empty() ? candidate.file.c_str() : file.c_str(),
                  sourceText(candidate.source));
  }
  if (!javaHome) return format(msg::kLoadedLibrary, candidate.file.c_str());
  const char* suffix = level == 11 ? msg::kJrePath11b : msg::kJrePath13b;
  return format(msg::kLoadedLibraryIn, candidate.file.c_str(), javaHome, platformText(suffix).c_str());
}

}  // namespace

int tryToLoadJNILibrary(const char* javaHome, const char* /*path*/, int level) {
  // The error number reported is the bare name's; the trace keeps every
  // place tried with its own.
  int bareNameError = 0;
  for (const platform::RuntimeCandidate& candidate : platform::runtimeLibraryCandidates(level, javaHome)) {
    int err = 0;
    hLib = platform::loadLibrary(candidate.file.c_str(), err);
    if (hLib) {
      std::string text = loadMessage(candidate, javaHome, level);
      if (traceOptionSpecified) std::fputs(text.c_str(), stdout);
      traceLine("%s", text.c_str());
      return 0;
    }
    if (candidate.source == platform::LibrarySource::systemSearch) bareNameError = err;
    traceLine(msg::kLibraryNotLoaded, candidate.file.c_str(), err, err);
  }
  return bareNameError;
}

int loadJNI(const char* path, const char* javaHome) {
  int e13 = 0;
  int e11 = 0;
  int level = 13;
  if (!hLib) e13 = tryToLoadJNILibrary(javaHome, path, 13);
  if (!hLib) {
    e11 = tryToLoadJNILibrary(javaHome, path, 11);
    level = 11;
  }
  if (!hLib) {
    consoleAndTrace(msg::kNoRuntimeExplanation, platform::kRuntimeLib13, e13, e13, platform::kRuntimeLib13,
                    0, 0, platform::kRuntimeLib11, e11, e11);
    error(msg::kUnableToLoadRuntime);
  }
  if (level == 11) {
    pfnGetDefaultJavaVMInitArgs = reinterpret_cast<GetDefaultJavaVMInitArgs_t>(
        platform::findSymbol(hLib, "JNI_GetDefaultJavaVMInitArgs"));
    if (!pfnGetDefaultJavaVMInitArgs) error(msg::kUnableToLocateJni);
  }
  pfnCreateJavaVM = reinterpret_cast<CreateJavaVM_t>(platform::findSymbol(hLib, "JNI_CreateJavaVM"));
  if (!pfnCreateJavaVM) error(msg::kUnableToLocateJni);
  return level;
}

bool runtimeSupportsJniVersion(jint version) {
  // A JDK 1.1 runtime (level 11 resolves its defaults entry point) knows no
  // later version, and would fill its own, larger record on the probe.
  if (pfnGetDefaultJavaVMInitArgs) return false;
  auto getDefaults = reinterpret_cast<GetDefaultJavaVMInitArgs_t>(
      platform::findSymbol(hLib, "JNI_GetDefaultJavaVMInitArgs"));
  if (!getDefaults) return false;
  // For any version but 1.1 the runtime only answers whether it knows it.
  JavaVMInitArgs probe{};
  probe.version = version;
  return getDefaults(&probe) == JNI_OK;
}

bool runtimeKnowsJavaCompiler() { return !hLib || !runtimeSupportsJniVersion(kJniVersion21); }

void freeJNI() {
  pfnGetDefaultJavaVMInitArgs = nullptr;
  pfnCreateJavaVM = nullptr;
  platform::freeLibrary(hLib);
  hLib = nullptr;
}

std::optional<std::string> insertRuntimeClassesInClasspath(const char* javaHome,
                                                           std::optional<std::string> classPath,
                                                           int level) {
  if (!javaHome || (level != 11 && level != 13)) return classPath;
  std::string out = classPath.value_or(std::string());
  const std::string list = platformText(";");
  if (level == 11) {
    out += std::string(javaHome) + platformText(msg::kRuntimeArchives11);
  } else {
    // The Java home itself is listed twice, as it always was.
    out += std::string(javaHome) + platformText(msg::kRuntimeArchive13);
    out += javaHome + list;
    out += javaHome + list;
  }
  return out;
}

}  // namespace kiv
