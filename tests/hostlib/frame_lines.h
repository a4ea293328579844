// Trace lines of the frame that several tests expect, without time stamps.
#pragma once

#include <string>
#include <vector>

namespace kivtest {

// getUserIdN at trace level 9: begin, user, the five field writes, end.
inline const std::vector<std::string> kGetUserIdLines = {
    "getUserIdN() begin",
    "\tUser Id: TESTUSER",
    "\t\t\tsetStaticString()  : cvPW_name=\"TESTUSER\"",
    "\t\t\tsetStaticInteger() : cvPW_uid=0 (0x0)",
    "\t\t\tsetStaticInteger() : cvPW_gid=0 (0x0)",
    "\t\t\tsetStaticString()  : cvPW_dir=\"/u/home\"",
    "\t\t\tsetStaticString()  : cvPW_shell=\"SH\"",
    "getUserIdN() end (rc=0)",
};

inline const std::string kNullStringLine = "\t\t\tGetString() : ****** null String ******";

// a, then b, then c, ... as one list.
inline std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace kivtest
