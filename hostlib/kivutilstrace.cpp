// The library's trace state and the two trace functions that the shared code
// writes through. One mutex guards the state, so a line is never written
// while another thread replaces the file name.
#include "kivlock.h"
#include "kivtrace.h"
#include "kivutils.h"
#include "kivutilsmsg.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace kiv::utils {

std::atomic<int> detail::traceOpenLevel{0};

namespace {

platform::Mutex traceMutex;
TraceState traceState;  // guarded by traceMutex
// Lines of a level that cannot be written are dropped without taking the
// lock (record reads check several lines per call).
std::atomic<int>& openLevel = detail::traceOpenLevel;
void updateOpenLevel() { openLevel.store(traceState.active() ? traceState.tracelevel : 0, std::memory_order_relaxed); }

// Writes one line when a file is set and, for a gated line, the level is
// above the threshold. Never throws.
void writeLine(bool gated, int threshold, const char* fmt, va_list args) noexcept {
  if (gated && openLevel.load(std::memory_order_relaxed) <= threshold) return;
  try {
    std::lock_guard lock(traceMutex);
    if (!traceState.active() || (gated && traceState.tracelevel <= threshold)) return;
    appendTraceLine(traceState, fmt, args);
  } catch (...) {
    // A line that cannot be written is dropped, as when the file cannot be opened.
  }
}

}  // namespace

int initTrace(const char* path, int level) {
  std::lock_guard lock(traceMutex);
  traceState.tracefile = path ? path : "";
  traceState.tracelevel = level;
  std::FILE* f = traceState.active() ? std::fopen(traceState.tracefile.c_str(), "a") : nullptr;
  if (!f) {
    traceState.tracefile.clear();
    traceState.tracelevel = 0;
    updateOpenLevel();
    return -1;
  }
  std::fclose(f);
  updateOpenLevel();
  return 0;
}

void setTraceLevel(int level) {
  std::unique_lock lock(traceMutex);
  bool announce = traceState.active() && (traceState.tracelevel >= 8 || level >= 8);
  lock.unlock();
  if (announce) kiv::traceLine(umsg::kSetTraceLevel, level);
  lock.lock();
  traceState.tracelevel = level;
  updateOpenLevel();
}

void stopTrace() {
  std::lock_guard lock(traceMutex);
  traceState.tracefile.clear();
  traceState.tracelevel = 0;
  updateOpenLevel();
}

int traceLevel() {
  std::lock_guard lock(traceMutex);
  return traceState.tracelevel;
}

bool traceActive() {
  std::lock_guard lock(traceMutex);
  return traceState.active();
}

std::string traceFile() {
  std::lock_guard lock(traceMutex);
  return traceState.tracefile;
}

}  // namespace kiv::utils

namespace kiv {

void traceLine(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  utils::writeLine(false, 0, fmt, args);
  va_end(args);
}

void traceLineL(int threshold, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  utils::writeLine(true, threshold, fmt, args);
  va_end(args);
}

}  // namespace kiv
