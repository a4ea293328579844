// The deliverable's side of the trace for the simulation's tests.
#include "dssim_fixture.h"

namespace kivtest {
kiv::TraceState dssimTrace;
}

namespace kiv {

void traceLine(const char* fmt, ...) {
  if (!kivtest::dssimTrace.active()) return;
  va_list args;
  va_start(args, fmt);
  appendTraceLine(kivtest::dssimTrace, fmt, args);
  va_end(args);
}

void traceLineL(int threshold, const char* fmt, ...) {
  if (!kivtest::dssimTrace.active() || kivtest::dssimTrace.tracelevel <= threshold) return;
  va_list args;
  va_start(args, fmt);
  appendTraceLine(kivtest::dssimTrace, fmt, args);
  va_end(args);
}

}  // namespace kiv
