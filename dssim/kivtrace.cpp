#include "kivtrace.h"

#include "kivappend.h"
#include "kivplatform.h"

#include <cstdio>

namespace kiv {

std::string vformat(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), fmt, args);
  out.resize(static_cast<size_t>(needed));
  return out;
}

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string out = vformat(fmt, args);
  va_end(args);
  return out;
}

std::string traceTimeStamp(std::time_t t) {
  std::tm tm = platform::utcTime(t);
  char buf[20];
  // "%D %T", spelled out: not every C library knows those two. The
  // two-digit year is the stamp's own.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"
  std::strftime(buf, sizeof buf, "%m/%d/%y %H:%M:%S", &tm);
#pragma GCC diagnostic pop
  return buf;
}

std::string asctimeUtc(std::time_t t) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm tm = platform::utcTime(t);
  return format("%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday % 7], kMonths[tm.tm_mon % 12],
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
}

namespace {

// Appends printf output to out, formatting only once when it is short.
void appendFormatted(std::string& out, const char* fmt, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (needed <= 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    out.append(small, static_cast<size_t>(needed));
    return;
  }
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(needed) + 1);
  std::vsnprintf(out.data() + start, static_cast<size_t>(needed) + 1, fmt, args);
  out.resize(start + static_cast<size_t>(needed));
}

}  // namespace

void appendTraceLine(const TraceState& state, const char* fmt, va_list args) {
  if (!state.active()) return;
  // The whole line first, then one append: a line never reaches the file in
  // pieces, so lines of other processes cannot land inside it.
  std::string line;
  if (state.insertTimeStamp) {
    line = traceTimeStamp(std::time(nullptr));
    line += "   ";
  }
  appendFormatted(line, fmt, args);
  platform::appendToFile(state.tracefile.c_str(), line);
}

void appendTraceText(const TraceState& state, std::string_view text) {
  if (state.active()) platform::appendToFile(state.tracefile.c_str(), text);
}

}  // namespace kiv
