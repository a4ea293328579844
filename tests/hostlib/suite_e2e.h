// A Java test suite of kivutils run by kivjava on a real JDK (the test's
// parameter is the JDK's home), in a scratch directory of its own with a
// property file that names the suite and the library.
#pragma once

#include "process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  std::string dir_;
  kivtest::RunOptions opts_;
};
