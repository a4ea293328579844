#include "kivtrace.h"

#include "kivplatform.h"

#include <cstdio>
#include <memory>

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
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

void appendTraceLine(const TraceState& state, const char* fmt, va_list args) {
  if (!state.active()) return;
  std::string stamp;
  if (state.insertTimeStamp) stamp = traceTimeStamp(std::time(nullptr));
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(state.tracefile.c_str(), "a"));
  if (!f) return;
  if (state.insertTimeStamp) std::fprintf(f.get(), "%s   ", stamp.c_str());
  std::vfprintf(f.get(), fmt, args);
}

}  // namespace kiv
