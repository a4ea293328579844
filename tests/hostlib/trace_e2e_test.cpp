// One trace file shared by processes: kivutils in real VMs (traceLineN from
// several Java threads) and spawned kivjava children append at once; every
// line must reach the file in one write and arrive whole.
#include "process.h"
#include "trace_writers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

using ::testing::ElementsAre;

namespace {

const std::string kJars = JAR_DIR;
const std::string kStrace = STRACE;

// The lines of a spawned child in attach mode at level 1.
std::string attachLine(const std::string& parm) { return "\tATTACH='UTIL1   '  (PARM='" + parm + "')  "; }
const std::string kWouldHaveCalled = "\tMVS would have called the utility 'UTIL1   ' now.";
const std::string kAttachRc = "\tATTACH return code=00000000";

class TraceE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(std::string(JDK_HOME) + "/lib/server/libjvm.so")) GTEST_SKIP() << "no JDK";
    dir_ = kivtest::makeTempDir("trace-e2e");
    trace_ = dir_ + "/shared trace.txt";
    opts_.cwd = dir_;
    for (const char* v : {"CLASSPATH", "KIVCLASSPATH3", "KIVPLUGINCLASSPATH1", "KIVOPTIONS", "KIVPROPERTIES",
                          "KIVTRACEPATH", "LD_LIBRARY_PATH", "KIVCREATEFILES", "KIVDELETEFILES"})
      opts_.env[v] = std::nullopt;
    opts_.env["JAVA_HOME"] = JDK_HOME;
    opts_.env["KIVCLASSPATH1"] = kJars + "/kivhost.jar:";
    opts_.env["KIVCLASSPATH2"] = kJars + "/kivtestapps.jar:";
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // A property file for com.zov.kiv.test.TraceWriters appending to trace_.
  std::string writers(const std::string& tag, const std::string& extra) {
    std::string file = dir_ + "/" + tag + ".properties";
    kivtest::writeFile(file, "kiv.application=com.zov.kiv.test.TraceWriters\nkiv.library=" KIVUTILS_LIBRARY
                             "\ntrace.file=" + trace_ + "\ntrace.tag=" + tag + "\n" + extra);
    return file;
  }
  kivtest::RunResult run(std::vector<std::string> args) { return kivtest::run(args, opts_); }
  std::vector<std::string> attach(const std::string& parm) {
    return {KIVJAVA, "-spawnclient_attach", "UTIL1", parm, "", "", trace_, "1"};
  }

  std::string dir_;
  std::string trace_;
  kivtest::RunOptions opts_;
};

// The write(2) calls that strace's log shows, as (bytes asked, bytes written).
std::vector<std::pair<long, long>> writes(const std::string& log) {
  static const std::regex call(R"(write\(\d+, .*, (\d+)\)\s+= (-?\d+))");
  std::vector<std::pair<long, long>> out;
  for (const std::string& line : kivtest::lines(log)) {
    std::smatch m;
    if (std::regex_search(line, m, call)) out.emplace_back(std::stol(m[1]), std::stol(m[2]));
  }
  return out;
}

TEST_F(TraceE2e, LongLinesLeaveInOneWrite) {
  ASSERT_TRUE(std::filesystem::exists(kStrace)) << "strace is missing (scripts/install-deps.sh installs it)";
  const std::string log = dir_ + "/strace.txt";
  auto traced = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {kStrace, "-f", "--seccomp-bpf", "-qq", "-e", "trace=write", "-P", trace_, "-o", log});
    return run(args);
  };
  // A 20,000-character line through traceLineN in the VM: stamp, text and
  // line end in one write.
  auto vm = traced({KIVJAVA, writers("W", "trace.min=20000\ntrace.max=20000\n")});
  ASSERT_EQ(vm.exitCode, 0) << vm.out << vm.err;
  EXPECT_THAT(writes(kivtest::readFile(log)), ElementsAre(std::pair(20021L, 20021L)));

  // A spawned child's ATTACH line with a 20,000-character PARM: one write,
  // as are its two short lines.
  const std::string parm(20000, 'p');
  auto child = traced(attach(parm));
  ASSERT_EQ(child.exitCode, 0) << child.out << child.err;
  const long attachBytes = static_cast<long>(20 + attachLine(parm).size() + 1);
  const long calledBytes = static_cast<long>(20 + kWouldHaveCalled.size() + 1);
  const long rcBytes = static_cast<long>(20 + kAttachRc.size() + 1);
  EXPECT_THAT(writes(kivtest::readFile(log)), ElementsAre(std::pair(attachBytes, attachBytes),
                                                          std::pair(calledBytes, calledBytes),
                                                          std::pair(rcBytes, rcBytes)));

  kivtest::TraceTally tally;
  tally.expect(kivtest::writerLine("W", 0, 0, 20000, 20000));
  tally.expect(attachLine(parm));
  tally.expect(kWouldHaveCalled);
  tally.expect(kAttachRc);
  EXPECT_TRUE(tally.check(kivtest::readFile(trace_), "\n")) << tally.problems;
}

// Two VMs with four Java threads each and eight loops of spawned children
// append lines of 100 to 20,000 characters to one file at the same time.
TEST_F(TraceE2e, ProcessesAndThreadsAppendAtOnce) {
  constexpr int kVms = 2, kThreads = 4, kLines = 250, kLoops = 8, kChildren = 6;
  const std::string go = dir_ + "/go";
  std::vector<kivtest::RunResult> vmResults(kVms);
  std::vector<std::thread> running;
  for (int v = 0; v < kVms; ++v) {
    std::string props = writers("V" + std::to_string(v), "trace.threads=" + std::to_string(kThreads) +
                                                              "\ntrace.lines=" + std::to_string(kLines) +
                                                              "\ntrace.pause=3\ntrace.ready=" + dir_ + "/ready" +
                                                              std::to_string(v) + "\ntrace.go=" + go + "\n");
    running.emplace_back([&, v, props] { vmResults[v] = run({KIVJAVA, props}); });
  }
  // The VMs set up their trace and wait; then all writers start together.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  auto ready = [&] {
    for (int v = 0; v < kVms; ++v)
      if (!std::filesystem::exists(dir_ + "/ready" + std::to_string(v))) return false;
    return true;
  };
  while (!ready() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kivtest::writeFile(go, "");
  std::vector<std::vector<kivtest::RunResult>> childResults(kLoops);
  for (int l = 0; l < kLoops; ++l) {
    running.emplace_back([&, l] {
      for (int c = 0; c < kChildren; ++c) childResults[l].push_back(run(attach(kivtest::writerLine("C", l, c, 100, 20000))));
    });
  }
  for (std::thread& t : running) t.join();

  kivtest::TraceTally tally;
  for (int v = 0; v < kVms; ++v) {
    EXPECT_EQ(vmResults[v].exitCode, 0) << vmResults[v].out << vmResults[v].err;
    for (int t = 0; t < kThreads; ++t)
      for (int i = 0; i < kLines; ++i) tally.expect(kivtest::writerLine("V" + std::to_string(v), t, i, 100, 20000));
  }
  for (int l = 0; l < kLoops; ++l) {
    for (int c = 0; c < kChildren; ++c) {
      EXPECT_EQ(childResults[l][c].exitCode, 0) << childResults[l][c].out << childResults[l][c].err;
      tally.expect(attachLine(kivtest::writerLine("C", l, c, 100, 20000)));
    }
  }
  tally.expect(kWouldHaveCalled, kLoops * kChildren);
  tally.expect(kAttachRc, kLoops * kChildren);
  EXPECT_TRUE(tally.check(kivtest::readFile(trace_), "\n"))
      << tally.whole << " of " << tally.lines << " lines whole\n" << tally.problems;
  EXPECT_EQ(tally.whole, static_cast<size_t>(kVms * kThreads * kLines + 3 * kLoops * kChildren));
}

}  // namespace
