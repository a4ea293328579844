// A trace file in a fresh directory for the tests of the library's trace.
#pragma once

#include "kivutils.h"
#include "process.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kivtest {

class TraceFile {
 public:
  explicit TraceFile(int level) : dir_(makeTempDir("kivutils")), path_(dir_ + "/trace.txt") {
    kiv::utils::initTrace(path_.c_str(), level);
  }
  ~TraceFile() {
    kiv::utils::stopTrace();
    std::filesystem::remove_all(dir_);
  }
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  // The lines written so far, without time stamps ("mm/dd/yy hh:mm:ss   ").
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    if (!std::filesystem::exists(path_)) return out;
    for (const std::string& line : kivtest::lines(readFile(path_))) out.push_back(line.size() >= 20 ? line.substr(20) : line);
    return out;
  }

 private:
  std::string dir_;
  std::string path_;
};

}  // namespace kivtest
