// A Java test suite of kivutils run by kivjava on a real JDK (the test's
// parameter is the JDK's home), in a scratch directory of its own with a
// property file that names the suite and the library.
#pragma once

#include "hostsvc_lines.h"
#include "process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>
#include <string>

// The JDKs a suite runs on (the build's and a second one, where present),
// and their names in the test names.
inline std::vector<std::string> suiteJdks() { return {JDK_HOME, JDK25_HOME}; }
inline std::string suiteJdkName(const ::testing::TestParamInfo<std::string>& info) {
  return info.index == 0 ? "BuildJdk" : "SecondJdk";
}

class JavaSuiteE2e : public ::testing::TestWithParam<std::string> {
 protected:
  // Prepares the run; skips the test when the JDK is not there.
  void prepare(const std::string& tag, const std::string& propertiesFile, const std::string& suiteClass) {
    if (!std::filesystem::exists(GetParam() + "/lib/server/libjvm.so")) GTEST_SKIP() << "no JDK at " << GetParam();
    const std::string jars = JAR_DIR;
    dir_ = kivtest::makeTempDir(tag);
    opts_.cwd = dir_;
    for (const char* v : {"CLASSPATH", "KIVCLASSPATH3", "KIVPLUGINCLASSPATH1", "KIVOPTIONS", "KIVPROPERTIES",
                          "KIVTRACEPATH", "LD_LIBRARY_PATH", "KIVJAVASYSNAME", "KIVCREATEFILES", "KIVDELETEFILES"})
      opts_.env[v] = std::nullopt;
    opts_.env["JAVA_HOME"] = GetParam();
    opts_.env["KIVCLASSPATH1"] = jars + "/kivhost.jar:";
    opts_.env["KIVCLASSPATH2"] = jars + "/kivtestapps.jar:";
    kivtest::writeFile(dir_ + "/" + propertiesFile,
                       "kiv.application=" + suiteClass + "\nkiv.library=" KIVUTILS_LIBRARY "\n");
  }
  // The library's lines from the marker `from` up to the marker `to`,
  // without their time stamps (which every line must carry).
  std::vector<std::string> traceBetween(const std::string& from, const std::string& to) {
    auto files = kivtest::listDir(dir_ + "/tr");
    EXPECT_EQ(files.size(), 1u);
    if (files.size() != 1) return {};
    std::vector<std::string> out;
    bool inside = false;
    for (const std::string& line : kivtest::lines(kivtest::readFile(dir_ + "/tr/" + files[0]))) {
      if (!stamped(line)) continue;
      std::string text = line.substr(20);
      if (text == to) inside = false;
      if (inside) out.push_back(kivtest::withoutWorkDir(text, dir_));
      if (text == from) inside = true;
    }
    return out;
  }

  // Whether the line starts with a time stamp "%D %T" and three blanks.
  static bool stamped(const std::string& line) {
    static const char kShape[] = "dd/dd/dd dd:dd:dd   ";
    if (line.size() < 20) return false;
    for (int i = 0; i < 20; ++i) {
      bool digit = line[i] >= '0' && line[i] <= '9';
      if (kShape[i] == 'd' ? !digit : line[i] != kShape[i]) return false;
    }
    return true;
  }

  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  std::string dir_;
  kivtest::RunOptions opts_;
};
