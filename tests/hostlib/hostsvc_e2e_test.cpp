// Consoles, HFS files, host utilities and system calls through kivjava and
// a real JVM: the Java suite HostServicesSuite checks results and fields;
// this test checks its verdicts and the trace lines it caused, at level 1
// and at level 9, with and without KIVJAVASYSNAME, and under -Xcheck:jni.
#include "hostsvc_lines.h"
#include "process.h"
#include "suite_e2e.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kJars = JAR_DIR;

class HostServicesE2e : public JavaSuiteE2e {
 protected:
  void SetUp() override { prepare("kivutils-hostsvc", "hostsvc.properties", "com.zov.kiv.test.HostServicesSuite"); }

  kivtest::RunResult kivjava(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {KIVJAVA, "hostsvc.properties", "-t", "tr"};
    args.insert(args.end(), extra.begin(), extra.end());
    kivtest::RunResult r = kivtest::run(args, opts_);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("hostsvc: 120 passed, 0 failed")) << r.out;
    EXPECT_THAT(r.out, Not(HasSubstr("FAILED")));
    return r;
  }


};

INSTANTIATE_TEST_SUITE_P(Jdks, HostServicesE2e, ::testing::ValuesIn(suiteJdks()), suiteJdkName);

TEST_P(HostServicesE2e, ResultsFieldsAndLevelOneLines) {
  opts_.env["KIVJAVASYSNAME"] = "SYSA";
  kivjava();
  EXPECT_THAT(traceBetween("hostsvc: level 1", "hostsvc: level 9"),
              ElementsAreArray(kivtest::levelOneLines("SYSA")));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ + "/newdir"));
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/newdir/file.txt"));
}

TEST_P(HostServicesE2e, SymbolWithTheVariableUnset) {
  kivjava();
  EXPECT_THAT(traceBetween("hostsvc: level 1", "hostsvc: level 9"), ElementsAreArray(kivtest::levelOneLines("")));
}

TEST_P(HostServicesE2e, BeginEndAndFieldLinesAtLevelNine) {
  opts_.env["KIVJAVASYSNAME"] = "sysb";
  kivjava();
  // The status values vary from run to run: only the fields and their order are compared.
  std::regex statusField(R"((\t\t\tsetInteger\(\) : iv\w+=).*)");
  std::vector<std::string> lines;
  for (const std::string& line : traceBetween("hostsvc: level 9", "hostsvc: end"))
    lines.push_back(std::regex_replace(line, statusField, "$1<n>"));
  EXPECT_THAT(lines, ElementsAreArray(kivtest::levelNineLines("sysb")));
}

TEST_P(HostServicesE2e, UnderCheckJni) {
  opts_.env["KIVJAVASYSNAME"] = "SYSA";
  auto r = kivjava({"-checkjni"});
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("WARNING in native method")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("FATAL ERROR")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("exceeds capacity")));
}

TEST_P(HostServicesE2e, DemoShowsTheHostServices) {
  opts_.env["KIVCLASSPATH2"] = kJars + "/kivdemo.jar:";
  opts_.env["KIVJAVASYSNAME"] = "SYSD";
  kivtest::writeFile(dir_ + "/demo.properties",
                     "kiv.application=com.zov.kiv.demo.Demo\nkiv.library=" KIVUTILS_LIBRARY "\n");
  auto r = kivtest::run({KIVJAVA, "demo.properties", "-t", "tr"}, opts_);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("Console command 'D T': rc=0, messages [teststring, teststring, teststring]\n"
                               "WTO 'KIV DEMO IS RUNNING': rc=0 (see the trace file)\n"
                               "System symbol: SYS1.&SYSNAME..PARMLIB -> SYS1.SYSD.PARMLIB (KIVJAVASYSNAME=SYSD)\n"
                               "IPL information: system DELMAROS, partition LPARXX, IPL volume IPLVOL, "
                               "master catalog MASTER.CATALOG.DATASET.NAME\n"));
  auto lines = traceBetween("Demo: hello", "from kiv_main");
  EXPECT_THAT(lines, ::testing::Contains("\tWTO: KIV DEMO IS RUNNING"));
  EXPECT_THAT(lines, ::testing::Contains("Console command: 'D T'"));
}

TEST_P(HostServicesE2e, DemoWithoutTheLibrary) {
  opts_.env["KIVCLASSPATH2"] = kJars + "/kivdemo.jar:";
  kivtest::writeFile(dir_ + "/demo.properties", "kiv.application=com.zov.kiv.demo.Demo\n");
  auto r = kivtest::run({KIVJAVA, "demo.properties"}, opts_);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("Host services not shown: kivutils is not loaded\n"));
}

}  // namespace
