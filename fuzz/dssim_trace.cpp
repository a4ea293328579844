// The fuzz targets of the data-set simulation write no trace, but format
// every line as a deliverable would (catching format and argument mismatches).
#include "kivtrace.h"

namespace kiv {

void traceLine(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  (void)vformat(fmt, args);
  va_end(args);
}

void traceLineL(int, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  (void)vformat(fmt, args);
  va_end(args);
}

}  // namespace kiv
