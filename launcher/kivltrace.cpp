// The launcher's trace file and its single way to stop on a fatal error.
#include "kivjava.h"
#include "kivmsg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kiv {

void traceLine(const char* fmt, ...) {
  if (!trace.active()) return;
  va_list args;
  va_start(args, fmt);
  appendTraceLine(trace, fmt, args);
  va_end(args);
}

void traceLineL(int threshold, const char* fmt, ...) {
  if (!trace.active() || trace.tracelevel <= threshold) return;
  va_list args;
  va_start(args, fmt);
  appendTraceLine(trace, fmt, args);
  va_end(args);
}

void consoleAndTrace(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = vformat(fmt, args);
  va_end(args);
  std::fputs(text.c_str(), stdout);
  traceLine("%s", text.c_str());
}

std::string traceFileName(const std::optional<std::string>& directory, std::time_t startTime) {
  std::tm tm = platform::utcTime(startTime);
  // The formatted part is never longer than the template name.
  char name[std::char_traits<char>::length(msg::kDefaultTracefile) + 1];
  if (std::strftime(name, sizeof name, msg::kTracefileFormat, &tm) == 0) name[0] = '\0';
  std::string out;
  if (directory) {
    out = *directory;
    if (!strendswith(out.c_str(), platform::kDirSepStr)) out += platform::kDirSep;
  }
  return out + name;
}

void makeTraceDirectories(const std::string& path) {
  auto make = [](const std::string& dir) {
    int err = platform::makeDirectory(dir.c_str());
    if (err != 0 && err != EEXIST) std::printf(msg::kMakeDirFailed, dir.c_str(), err);
  };
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] == platform::kDirSep) make(path.substr(0, i));
  }
  make(path);
}

void startTrace(const char* title) {
  // An empty directory names none: the file goes to the current directory.
  std::optional<std::string> directory = tracefilepath;
  if (directory && directory->empty()) directory.reset();
  if (directory) makeTraceDirectories(*directory);

  std::time_t now = std::time(nullptr);
  trace.tracefile = traceFileName(directory, now);
  std::printf(msg::kOpeningTrace, trace.tracefile.c_str());
  if (std::FILE* f = std::fopen(trace.tracefile.c_str(), "w")) {
    std::fprintf(f, msg::kTraceHeader, title, buildStamp(), asctimeUtc(now).c_str());
    std::fclose(f);
  }
}

void endTrace() {
  if (!trace.active()) return;
  std::printf("%s", msg::kFinishingTrace);
  appendTraceText(trace, format(msg::kTraceFooter, asctimeUtc(std::time(nullptr)).c_str()));
  trace.tracefile.clear();
}

void reportFatal(const char* message) {
  std::printf(msg::kErrorFormat, message);
  std::fflush(stdout);
  traceLine(msg::kErrorFormat, message);
  endTrace();
  std::fflush(stdout);
}

void error(const char* message) {
  if (message) reportFatal(message);
  std::fflush(stdout);
  exitProcess(kFatalExitCode);
  std::abort();  // exitProcess never returns
}

void traceJDK11InitArgs(const JDK1_1InitArgs* a) {
  if (!a) return;
  traceLine("%s", msg::kInitArgContents);
  traceLine(msg::kInitArgVersion, static_cast<unsigned>(a->version));
  traceLine("%s", msg::kInitArgPropertiesBegin);
  for (char** p = a->properties; p && *p; ++p) traceLine(msg::kInitArgProperty, *p);
  traceLine("%s", msg::kInitArgPropertiesEnd);
  traceLine(msg::kInitArgCheckSource, static_cast<int>(a->checkSource));
  traceLine(msg::kInitArgNativeStackSize, static_cast<int>(a->nativeStackSize),
            static_cast<unsigned>(a->nativeStackSize));
  traceLine(msg::kInitArgJavaStackSize, static_cast<int>(a->javaStackSize),
            static_cast<unsigned>(a->javaStackSize));
  traceLine(msg::kInitArgMinHeapSize, static_cast<int>(a->minHeapSize), static_cast<unsigned>(a->minHeapSize));
  traceLine(msg::kInitArgMaxHeapSize, static_cast<int>(a->maxHeapSize), static_cast<unsigned>(a->maxHeapSize));
  traceLine(msg::kInitArgVerifyMode, static_cast<int>(a->verifyMode));
  traceLine(msg::kInitArgClasspathPtr, static_cast<const void*>(a->classpath));
  if (a->classpath) traceLine(msg::kInitArgClasspathStr, a->classpath);
  traceLine(msg::kInitArgPrintHook, reinterpret_cast<const void*>(a->vfprintf));
  traceLine(msg::kInitArgExitHook, reinterpret_cast<const void*>(a->exit));
  traceLine(msg::kInitArgAbortHook, reinterpret_cast<const void*>(a->abort));
  traceLine(msg::kInitArgEnableClassGC, static_cast<int>(a->enableClassGC));
  traceLine(msg::kInitArgEnableVerboseGC, static_cast<int>(a->enableVerboseGC));
  traceLine(msg::kInitArgDisableAsyncGC, static_cast<int>(a->disableAsyncGC));
  traceLine(msg::kInitArgVerbose, static_cast<int>(a->verbose));
}

void traceJavaVMOptions() {
  if (javaVMOptions.empty()) return;
  traceLine("%s", msg::kJavaVMOptions);
  for (const VMOption& o : javaVMOptions) traceLine(msg::kJavaVMOption, o.optionString.c_str());
}

}  // namespace kiv
