// The plain logic behind the frame's native methods.
#pragma once

namespace kiv::utils {

// traceLineN: 0 without writing when level is above the trace level; -1 when
// no trace file is set or there is no text; else writes text as one line.
int traceText(int level, const char* text);

// The user that getUserIdN reports (traces its begin and user lines).
struct UserId {
  const char* name;
  int uid;
  int gid;
  const char* dir;
  const char* shell;
};
UserId userId();

}  // namespace kiv::utils
