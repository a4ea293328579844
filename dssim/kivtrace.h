// The trace file shared by the launcher, the host-services library and the
// spawned children: one line at a time, each opened for appending, written
// in one piece and closed, so that processes can share the file without a
// lock.
#pragma once

#include <cstdarg>
#include <ctime>
#include <string>
#include <string_view>

namespace kiv {

struct TraceState {
  std::string tracefile;      // full file name; empty: no trace is written
  int tracelevel = 0;         // only level-gated lines look at it
  bool insertTimeStamp = true;

  bool active() const { return !tracefile.empty(); }
};

// printf into a std::string; never truncates.
std::string vformat(const char* format, va_list args);
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "mm/dd/yy hh:mm:ss" of t in UTC: the stamp in front of every trace line.
std::string traceTimeStamp(std::time_t t);
// t in UTC in asctime's 24-character form, with its line end.
std::string asctimeUtc(std::time_t t);

// Appends one line (stamp, three blanks, message) to state.tracefile. The
// whole line is formatted first and reaches the file in one write of the
// system, so lines that other processes append meanwhile stay whole and
// outside it. A file that cannot be opened loses the line silently.
void appendTraceLine(const TraceState& state, const char* format, va_list args);
// Appends text as it is (no stamp) to state.tracefile the same way.
void appendTraceText(const TraceState& state, std::string_view text);

// ---- provided by the deliverable the shared code is linked into ------------
// The launcher and the host-services library each keep their own trace state
// (TraceState) and define these two; the shared code writes through them.

// Writes one line whenever the deliverable's trace file is set.
void traceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes one line only when the deliverable's trace level is above the
// threshold (threshold 7: levels 8 and up).
void traceLineL(int threshold, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace kiv
