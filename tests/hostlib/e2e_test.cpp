// The frame through kivjava and a real JVM: a Java test suite calls every
// native method; this test checks its verdicts, the trace file it wrote, and
// the same run under -Xcheck:jni.
#include "frame_lines.h"
#include "process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kJars = JAR_DIR;
const std::string kLibrary = KIVUTILS_LIBRARY;

class FrameE2e : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(GetParam() + "/lib/server/libjvm.so")) GTEST_SKIP() << "no JDK at " << GetParam();
    dir_ = kivtest::makeTempDir("kivutils-e2e");
    opts_.cwd = dir_;
    for (const char* v : {"CLASSPATH", "KIVCLASSPATH3", "KIVPLUGINCLASSPATH1", "KIVOPTIONS", "KIVPROPERTIES",
                          "KIVTRACEPATH", "LD_LIBRARY_PATH"})
      opts_.env[v] = std::nullopt;
    opts_.env["JAVA_HOME"] = GetParam();
    opts_.env["KIVCLASSPATH1"] = kJars + "/kivhost.jar:";
    opts_.env["KIVCLASSPATH2"] = kJars + "/kivtestapps.jar:";
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  void properties(const std::string& extra) {
    kivtest::writeFile(dir_ + "/frame.properties", "kiv.application=com.zov.kiv.test.FrameSuite\n" + extra);
  }
  kivtest::RunResult kivjava(std::vector<std::string> args) {
    args.insert(args.begin(), KIVJAVA);
    return kivtest::run(args, opts_);
  }
  std::string traceText() {
    auto files = kivtest::listDir(dir_ + "/tr");
    if (files.size() != 1) return {};
    return kivtest::readFile(dir_ + "/tr/" + files[0]);
  }

  std::string dir_;
  kivtest::RunOptions opts_;
};

std::vector<std::string> jdks() { return {JDK_HOME, JDK25_HOME}; }
std::string jdkName(const ::testing::TestParamInfo<std::string>& info) {
  return info.index == 0 ? "BuildJdk" : "SecondJdk";
}
INSTANTIATE_TEST_SUITE_P(Jdks, FrameE2e, ::testing::ValuesIn(jdks()), jdkName);

void expectSuitePassed(const kivtest::RunResult& r) {
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("frame: 28 passed, 0 failed")) << r.out;
  EXPECT_THAT(r.out, Not(HasSubstr("FAILED")));
}

TEST_P(FrameE2e, EveryMethodWithItsTraceLines) {
  properties("kiv.library=" + kLibrary + "\n");
  auto r = kivjava({"frame.properties", "-t", "tr"});
  expectSuitePassed(r);

  // The library's lines lie between the suite's first line and the
  // launcher's closing lines; every one carries the time stamp.
  std::regex stamped(R"(^\d\d/\d\d/\d\d \d\d:\d\d:\d\d   (.*)$)");
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : kivtest::lines(traceText())) {
    std::smatch m;
    if (line.find("frame: at level 3") != std::string::npos) inside = true;
    if (line.find("from kiv_main") != std::string::npos) inside = false;
    if (!inside) continue;
    ASSERT_TRUE(std::regex_match(line, m, stamped)) << line;
    lines.push_back(m[1]);
  }
  std::vector<std::string> threads, rest;
  for (const std::string& l : lines) (l.rfind("frame: thread ", 0) == 0 ? threads : rest).push_back(l);
  EXPECT_EQ(threads.size(), 200u) << "no line lost or torn";
  for (const std::string& l : threads) EXPECT_TRUE(std::regex_match(l, std::regex(R"(frame: thread \d line \d+)"))) << l;
  EXPECT_THAT(rest, ElementsAreArray(kivtest::joined({{"frame: at level 3", "Set trace level 9"},
                                                     kivtest::kGetUserIdLines,
                                                     {"Set trace level 3", kivtest::kNullStringLine,
                                                      "frame: gr\xc3\xbc\xc3\x9f \xe2\x82\xac",
                                                      kivtest::kNullStringLine}})));
  EXPECT_THAT(rest, Not(Contains("frame: above the level")));
  EXPECT_THAT(rest, Not(Contains("frame: after stop")));
}

TEST_P(FrameE2e, UnderCheckJni) {
  properties("kiv.library=" + kLibrary + "\n");
  auto r = kivjava({"frame.properties", "-t", "tr", "-checkjni"});
  expectSuitePassed(r);
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("WARNING in native method")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("FATAL ERROR")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("exceeds capacity")));
}

TEST_P(FrameE2e, LibraryFoundThroughTheLibraryPath) {
  properties("");
  opts_.env["LD_LIBRARY_PATH"] = std::filesystem::path(kLibrary).parent_path().string();
  auto r = kivjava({"frame.properties", "-t", "tr"});
  expectSuitePassed(r);
}

TEST_P(FrameE2e, DemoUsesTheLibrary) {
  opts_.env["KIVCLASSPATH2"] = kJars + "/kivdemo.jar:";
  kivtest::writeFile(dir_ + "/demo.properties", "kiv.application=com.zov.kiv.demo.Demo\n"
                                                "demo.greeting=Hello from the host\nkiv.library=" + kLibrary + "\n");
  auto r = kivjava({"demo.properties", "-t", "tr"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("kivutils library version 0xA047 (as expected)\n"
                               "User id: name=TESTUSER uid=0 gid=0 dir=/u/home shell=SH\n"
                               "Wrote one line through kivutils into the trace file tr/"));
  EXPECT_THAT(traceText(), HasSubstr("   Demo: Hello from the host\n"));
}

TEST_P(FrameE2e, DemoWithoutTheLibraryCarriesOn) {
  opts_.env["KIVCLASSPATH2"] = kJars + "/kivdemo.jar:";
  kivtest::writeFile(dir_ + "/demo.properties", "kiv.application=com.zov.kiv.demo.Demo\n");
  auto r = kivjava({"demo.properties"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("kivutils library not loaded: "));
}

}  // namespace
