// The record writer through kivjava and the real JDKs (com.zov.kiv.test.WriterSuite):
// Strings of every kind give the bytes that Java's own modified UTF-8 encoder
// gives, whichever way the text is taken (each forced in turn, and with
// compact Strings off); eight threads on one writer; writers never closed.
#include "process.h"
#include "suite_e2e.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class WriterE2e : public JavaSuiteE2e {
 protected:
  void SetUp() override { prepare("kivutils-writer", "w.properties", "com.zov.kiv.test.WriterSuite"); }

  kivtest::RunResult suite(const std::string& mode, std::vector<std::string> extra = {}) {
    kivtest::writeFile(dir_ + "/w.properties", kivtest::readFile(dir_ + "/w.properties") + "writer.mode=" + mode + "\n");
    std::vector<std::string> args = {KIVJAVA, "w.properties"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto r = kivtest::run(args, opts_);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.out, ContainsRegex("writer: [0-9]+ passed, 0 failed")) << r.out;
    EXPECT_THAT(r.out + r.err, Not(HasSubstr("WARNING in native method")));
    return r;
  }
  void expectKinds() {
    std::string written = kivtest::readFile(dir_ + "/ZZ.KINDS__");
    std::string expected = kivtest::readFile(dir_ + "/expected.bin");
    ASSERT_GT(expected.size(), 500000u);
    EXPECT_TRUE(written == expected) << written.size() << " bytes written, " << expected.size() << " expected";
  }
};

INSTANTIATE_TEST_SUITE_P(Jdks, WriterE2e, ::testing::ValuesIn(suiteJdks()), suiteJdkName);

TEST_P(WriterE2e, EveryKindOfStringTheFasterWay) {
  suite("kinds", {"-checkjni"});
  expectKinds();
}

TEST_P(WriterE2e, EveryKindOfStringThroughStandardJni) {
  opts_.env["KIVWRITEPATH"] = "standard";
  suite("kinds");
  expectKinds();
}

TEST_P(WriterE2e, EveryKindOfStringThroughTheStringsFields) {
  opts_.env["KIVWRITEPATH"] = "fields";
  suite("kinds", {"-checkjni"});
  expectKinds();
}

TEST_P(WriterE2e, EveryKindOfStringWithoutCompactStrings) {
  opts_.env["KIVWRITEPATH"] = "fields";
  opts_.env["JAVA_TOOL_OPTIONS"] = "-XX:-CompactStrings";
  suite("kinds");
  expectKinds();
}

TEST_P(WriterE2e, EightThreadsOnOneWriter) { suite("threads"); }

TEST_P(WriterE2e, WritersNeverClosedLoseNothing) {
  std::string expected;
  for (int i = 0; i < 2000; ++i) expected += "record " + std::to_string(i) + " of a writer never closed\n";
  for (const char* mode : {"open", "exit"}) {
    std::filesystem::remove(dir_ + "/ZZ.OPEN__");
    std::filesystem::remove(dir_ + "/ZZ.OBIN__");
    kivtest::writeFile(dir_ + "/w.properties", "kiv.application=com.zov.kiv.test.WriterSuite\nkiv.library=" KIVUTILS_LIBRARY "\n");
    suite(mode);
    EXPECT_TRUE(kivtest::readFile(dir_ + "/ZZ.OPEN__") == expected) << mode;
    std::string bytes = "head\n";
    for (int i = 0; i < 2000; ++i)
      for (int b = 0; b < 1000; ++b) bytes += static_cast<char>(b & 0xFF);
    EXPECT_TRUE(kivtest::readFile(dir_ + "/ZZ.OBIN__") == bytes) << mode << ": the output stream";
  }
}

}  // namespace

namespace {

// Record i of thread t in the race, as WriterSuite.raceRecord makes it.
std::string raceRecord(int t, long i) {
  char head[32];
  std::snprintf(head, sizeof head, "t%02d r%07ld ", t, i);
  return head + std::string(static_cast<std::size_t>(i % 53), 'x') + "\n";
}

// Writers and output streams never closed while twelve threads write and
// the VM ends (System.exit; kiv_main returning, the writers daemons;
// kiv_main throwing): every record whose call returned is in its file,
// whole and in order, and at most the one record a thread was writing comes
// after them. The count of calls that returned is the threads' own, kept in
// a memory-mapped file that outlives the process. Three rounds of each.
TEST_P(WriterE2e, EndingWhileThreadsWriteLosesNoReturnedRecord) {
  struct Mode {
    const char* name;
    int exitCode;
  };
  for (Mode mode : {Mode{"race-exit", 0}, Mode{"race-return", 0}, Mode{"race-throw", 16}}) {
    for (int round = 0; round < 3; ++round) {
      for (const std::string& f : kivtest::listDir(dir_))
        if (f.rfind("ZZ.", 0) == 0 || f == "counts.bin") std::filesystem::remove(dir_ + "/" + f);
      kivtest::writeFile(dir_ + "/w.properties", "kiv.application=com.zov.kiv.test.WriterSuite\nkiv.library=" KIVUTILS_LIBRARY
                                                 "\nwriter.mode=" + std::string(mode.name) + "\n");
      auto r = kivtest::run({KIVJAVA, "w.properties"}, opts_);
      std::string what = std::string(mode.name) + " round " + std::to_string(round);
      ASSERT_EQ(r.exitCode, mode.exitCode) << what << r.out << r.err;
      EXPECT_THAT(r.out, Not(HasSubstr("FAILED"))) << what;
      std::string counts = kivtest::readFile(dir_ + "/counts.bin");
      ASSERT_EQ(counts.size(), 96u) << what;
      for (int t = 0; t < 12; ++t) {
        unsigned long long returned = 0;
        for (int b = 7; b >= 0; --b) returned = (returned << 8) | static_cast<unsigned char>(counts[8 * t + b]);
        char name[32];
        std::snprintf(name, sizeof name, "/ZZ.RACE%02d__", t);
        std::string file = kivtest::readFile(dir_ + name);
        std::size_t at = 0;
        long whole = 0;
        for (std::string rec = raceRecord(t, 0); file.compare(at, rec.size(), rec) == 0; rec = raceRecord(t, ++whole))
          at += rec.size();
        EXPECT_EQ(at, file.size()) << what << ", thread " << t << ": the file goes on with something else after "
                                   << whole << " records";
        EXPECT_GE(whole, static_cast<long>(returned)) << what << ", thread " << t << ": records lost";
        EXPECT_LE(whole, static_cast<long>(returned) + 1) << what << ", thread " << t;
      }
    }
  }
}

// At exit one writer is blocked in the kernel on a FIFO that nobody reads,
// and another's FIFO is full with records still buffered: the process ends
// all the same, with its exit code, and a plain writer's records are all in
// their file; the full FIFO holds whole records only.
TEST_P(WriterE2e, APipeThatNobodyReadsDoesNotHoldTheExit) {
  int fds[2];
  for (int i = 0; i < 2; ++i) {
    std::string fifo = dir_ + (i == 0 ? "/ZZ.FIFO__" : "/ZZ.FIFOB__");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fds[i] = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // a reader that never reads
    ASSERT_GE(fds[i], 0);
  }
  kivtest::writeFile(dir_ + "/w.properties", kivtest::readFile(dir_ + "/w.properties") + "writer.mode=fifo-exit\n");
  opts_.timeoutSeconds = 60;
  auto r = kivtest::run({KIVJAVA, "w.properties"}, opts_);
  EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("FAILED")));
  std::string plain;
  for (int i = 0; i < 3000; ++i) plain += "plain " + std::to_string(i) + "\n";
  EXPECT_TRUE(kivtest::readFile(dir_ + "/ZZ.PLAIN__") == plain);
  std::string inPipe(70000, '\0');
  ssize_t n = read(fds[1], inPipe.data(), inPipe.size());
  ASSERT_GT(n, 0);
  inPipe.resize(static_cast<std::size_t>(n));
  std::string record = std::string(99, 'r') + "\n";
  EXPECT_EQ(inPipe.size() % record.size(), 0u);
  EXPECT_EQ(inPipe.find_first_not_of("r\n"), std::string::npos);
  for (int fd : fds) close(fd);
}

// Write errors injected into the file's write(2) calls by strace: once (the
// third), the call that meets it fails with ENOSPC and every record whose
// call returned its length is in the file, in order, once; from the third
// on, every later call fails as well and the close says so.
TEST_P(WriterE2e, AWriteErrorLosesNothingReportedWritten) {
  std::string err = dir_ + "/ZZ.ERR__";
  kivtest::writeFile(dir_ + "/w.properties", kivtest::readFile(dir_ + "/w.properties") + "writer.mode=errors\n");
  for (std::string when : {"3", "3+"}) {
    kivtest::writeFile(err, "");
    auto r = kivtest::run({STRACE, "-f", "-o", "/dev/null", "-P", err, "-e", "trace=write", "-e",
                           "inject=write:error=ENOSPC:when=" + when, KIVJAVA, "w.properties"},
                          opts_);
    ASSERT_EQ(r.exitCode, 0) << when << r.out << r.err;
    std::vector<std::string> results = kivtest::lines(kivtest::readFile(dir_ + "/results.txt"));
    ASSERT_EQ(results.size(), 20000u);
    std::string expected;
    int failed = 0, firstFailure = -1;
    for (int i = 0; i < 20000; ++i) {
      std::string rec = "record " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(i % 70), 'e') + "\n";
      if (results[i] == std::to_string(rec.size())) {
        expected += rec;
        EXPECT_EQ(firstFailure < 0 || when == "3", true) << when << ": record " << i << " after a lasting error";
      } else {
        EXPECT_EQ(results[i], "-1 28") << when << ": record " << i;
        if (firstFailure < 0) firstFailure = i;
        ++failed;
      }
    }
    std::string file = kivtest::readFile(err);
    std::string trace = kivtest::readFile(dir_ + "/errors.trace");
    if (when == "3") {
      EXPECT_EQ(failed, 1);
      EXPECT_TRUE(file == expected) << file.size() << " bytes in the file, " << expected.size() << " reported written";
      EXPECT_THAT(trace, Not(HasSubstr("Close       failed")));
    } else {
      EXPECT_EQ(failed, 20000 - firstFailure);
      EXPECT_TRUE(expected.compare(0, file.size(), file) == 0) << "the file holds what was written first";
      EXPECT_THAT(trace, HasSubstr("Close       failed"));
    }
  }
}

}  // namespace
