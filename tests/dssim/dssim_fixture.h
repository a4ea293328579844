// A fresh current directory per test, the simulation's environment variables
// removed, the generated-name counter at 0 and a trace file to read back.
#pragma once

#include "kivdssim.h"
#include "kivtrace.h"
#include "process.h"
#include "request_codes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kivtest {

// The trace state the simulation writes through in these tests.
extern kiv::TraceState dssimTrace;

class DssimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    dir_ = makeTempDir("dssim");
    std::filesystem::current_path(dir_);
    unsetenv("KIVCREATEFILES");
    unsetenv("KIVDELETEFILES");
    kiv::countDDs = 0;
    traceFile_ = dir_ + ".trace";
    dssimTrace.tracefile = traceFile_;
    dssimTrace.tracelevel = 9;
  }
  void TearDown() override {
    EXPECT_EQ(kiv::allocationCount(), 0u) << "records left in the allocation list";
    dssimTrace.tracefile.clear();
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
    std::filesystem::remove(traceFile_);
    unsetenv("KIVCREATEFILES");
    unsetenv("KIVDELETEFILES");
  }
  // The trace lines without their time stamps.
  std::vector<std::string> traced() {
    std::vector<std::string> out;
    for (const std::string& l : lines(readFile(traceFile_))) out.push_back(l.size() > 20 ? l.substr(20) : l);
    return out;
  }
  std::vector<std::string> files() { return listDir(dir_); }
  void touch(const std::string& name) { writeFile(dir_ + "/" + name, "x\n"); }

  std::filesystem::path home_;
  std::string dir_;
  std::string traceFile_;
};

inline kiv::PIPPtr makePip(const char* dd, const char* ds, int8_t status, int8_t normdisp = 0,
                           const char* volser = nullptr, const char* member = nullptr) {
  auto p = std::make_unique<kiv::PIP>();
  if (dd) p->ddName = dd;
  if (ds) p->dsName = ds;
  p->status = status;
  p->normdisp = normdisp;
  if (volser) p->volser = volser;
  if (member) p->member = member;
  return p;
}

}  // namespace kivtest
