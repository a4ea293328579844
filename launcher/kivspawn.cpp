// The spawned-client modes: kivjava started by the Java side as a child to
// run one command line (-spawnclient_system) or one utility with DD
// allocations (-spawnclient_attach). No option is parsed and no VM is
// created; the child only appends to the parent's trace file.
#include "kivcommand.h"
#include "kivdssim.h"
#include "kivjava.h"
#include "kivmsg.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kiv {

namespace {

// Lines of the modes themselves are written at level 8 and up.
constexpr int kSpawnTraceThreshold = 7;

// Argument `i`, or "" when the command line is shorter.
const char* arg(int argc, char** argv, int i) { return i < argc && argv[i] ? argv[i] : ""; }

// The level's decimal value; text that is not a number gives 0.
int traceLevelOf(const char* text) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (end == text) return 0;
  if (errno == ERANGE || v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

void takeTraceSettings(const char* file, const char* level) {
  if (*file && *level) {
    trace.tracefile = file;
    trace.tracelevel = traceLevelOf(level);
  }
}

void printReturnCode(int32_t rc) {
  std::printf(msg::kSpawnReturnCode, rc, static_cast<uint32_t>(rc));
}

// The end marker on standard output, then through the error-message routine
// on standard error with the error number 0.
void printEndMarker() {
  errno = 0;
  std::fputs(msg::kChildEndMarker, stdout);
  std::fflush(stdout);
  std::perror(msg::kChildEndMarker);
}

void releaseTrace() {
  trace.tracefile.clear();
  trace.tracefile.shrink_to_fit();
}

}  // namespace

int readCommandLine(std::FILE* in, std::string& line) {
  char buffer[kSpawnCommandBufferSize] = {};
  if (!std::fgets(buffer, sizeof buffer, in)) return kCommandEnd;
  size_t n = std::strlen(buffer);
  bool complete = n > 0 && buffer[n - 1] == '\n';
  if (!complete && !std::feof(in)) {
    // The buffer is full: the line fits only if its end (LF, CR LF, or the
    // end of input, with or without a CR before it) comes next. The line end
    // is no part of the line, so it needs no room in the buffer.
    int c = std::fgetc(in);
    if (c == '\r') c = std::fgetc(in);
    if (c != '\n' && c != EOF) {
      // Longer than the buffer: drop the rest of the line and refuse it.
      while ((c = std::fgetc(in)) != EOF && c != '\n') {
      }
      return kCommandTooLong;
    }
  }
  if (complete) buffer[--n] = '\0';
  if (n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';
  line.assign(buffer, n);
  return kCommandRead;
}

int spawnclient_system(int argc, char** argv) {
  takeTraceSettings(arg(argc, argv, 2), arg(argc, argv, 3));
  traceLineL(kSpawnTraceThreshold, "%s", msg::kSpawnSystemBegin);
  std::string command;
  int read = readCommandLine(stdin, command);
  if (read == kCommandEnd) {
    releaseTrace();
    return -1;
  }
  int rc;
  if (read == kCommandTooLong) {
    traceLineL(kSpawnTraceThreshold, msg::kSpawnCommandTooLong, static_cast<int>(kSpawnCommandBufferSize - 1));
    rc = -1;
  } else {
    traceLineL(kSpawnTraceThreshold, msg::kSpawnSystemCommand, command.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    rc = platform::runCommand(command.c_str());
  }
  printReturnCode(rc);
  printEndMarker();
  traceLineL(kSpawnTraceThreshold, "%s", msg::kSpawnSystemEnd);
  releaseTrace();
  return rc;
}

int spawnclient_attach(int argc, char** argv) {
  for (int i = 0; i < 8; ++i) std::printf(msg::kSpawnAttachArgument, i, arg(argc, argv, i));
  takeTraceSettings(arg(argc, argv, 6), arg(argc, argv, 7));
  traceLineL(kSpawnTraceThreshold, "%s", msg::kSpawnAttachBegin);
  const char* list = arg(argc, argv, 5);
  int result = 0;
  std::optional<DDArray> dds;
  if (*list) dds = allocDD(list);
  if (*list && !dds) {
    printReturnCode(kAllocFailedReturnCode);
  } else {
    std::fflush(stdout);
    result = runUtility(arg(argc, argv, 2), arg(argc, argv, 3), arg(argc, argv, 4));
    printReturnCode(result);
  }
  if (dds) result |= freeDD(std::move(*dds));
  printEndMarker();
  traceLineL(kSpawnTraceThreshold, "%s", msg::kSpawnAttachEnd);
  releaseTrace();
  return result;
}

}  // namespace kiv
