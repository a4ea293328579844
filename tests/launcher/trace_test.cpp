#include "kivappend.h"
#include "launcher_fixture.h"
#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

// 27 January 2004, 11:51:50 UTC.
constexpr std::time_t kSample = 1075204310;

bool isDir(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The trace file's lines with their time stamps removed.
std::vector<std::string> unstamped(const std::string& file) {
  std::vector<std::string> out;
  for (const std::string& line : kivtest::lines(kivtest::readFile(file))) {
    if (line.size() > 20 && line[2] == '/' && line.substr(17, 3) == "   ")
      out.push_back(line.substr(20));
    else
      out.push_back(line);
  }
  return out;
}

class TraceTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    dir_ = kivtest::makeTempDir("trace");
    kiv::trace.tracefile = dir_ + "/trace.txt";
  }
  std::string dir_;
};

TEST(TraceNames, UtcWhateverTheLocalZone) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  EXPECT_EQ(kiv::traceFileName(std::nullopt, kSample), "TRC.KIVUTILS.20040127115150GMT.TXT");
  EXPECT_EQ(kiv::traceFileName(std::string("t/a"), kSample), "t/a/TRC.KIVUTILS.20040127115150GMT.TXT");
  EXPECT_EQ(kiv::traceFileName(std::string("t/a/"), kSample), "t/a/TRC.KIVUTILS.20040127115150GMT.TXT")
      << "no second separator";
  EXPECT_EQ(kiv::traceTimeStamp(kSample), "01/27/04 11:51:50");
  EXPECT_EQ(kiv::asctimeUtc(kSample), "Tue Jan 27 11:51:50 2004\n");
  EXPECT_EQ(kiv::asctimeUtc(kSample - 20 * 86400), "Wed Jan  7 11:51:50 2004\n") << "day padded with a blank";
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST_F(TraceTest, DirectoryChainIsCreatedAndFailuresReported) {
  ::testing::internal::CaptureStdout();
  kiv::makeTraceDirectories(dir_ + "/a/b/c");
  EXPECT_EQ(captured(), "") << "existing directories are silent";
  EXPECT_TRUE(isDir(dir_ + "/a/b/c"));

  kivtest::writeFile(dir_ + "/file", "x");
  ::testing::internal::CaptureStdout();
  kiv::makeTraceDirectories(dir_ + "/file/sub");
  EXPECT_EQ(captured(), kiv::format("Make directory '%s/file/sub' for trace file failed with errno=%d.\n",
                                    dir_.c_str(), ENOTDIR));
}

TEST_F(TraceTest, StartWritesHeaderEndWritesFooterAndStopsTracing) {
  kiv::tracefilepath = dir_ + "/x/y";
  ::testing::internal::CaptureStdout();
  kiv::startTrace("my title");
  std::string out = captured();
  ASSERT_THAT(kivtest::listDir(dir_ + "/x/y"), ElementsAre(MatchesRegex("TRC\\.KIVUTILS\\.[0-9]{14}GMT\\.TXT")));
  std::string file = kiv::trace.tracefile;
  EXPECT_EQ(out, "Opening trace file '" + file + "'...\n");
  kiv::traceLine("line %d\n", 1);
  ::testing::internal::CaptureStdout();
  kiv::endTrace();
  EXPECT_EQ(captured(), "Finishing trace...\n");
  kiv::traceLine("after the end\n");

  std::string text = kivtest::readFile(file);
  EXPECT_THAT(text, MatchesRegex("my title\nVersion: [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9:]{8}\n\n"
                                 "Trace started at [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9:]{8} [0-9]{4}\n\n"
                                 "[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9:]{8}   line 1\n"
                                 "\nTrace ended at [A-Z][a-z]{2} .* [0-9]{4}\n\n"));
  EXPECT_FALSE(kiv::trace.active());
}

TEST_F(TraceTest, RestartingEmptiesTheFile) {
  kiv::tracefilepath = dir_;
  ::testing::internal::CaptureStdout();
  kiv::startTrace("first");
  kiv::traceLine("old line\n");
  kiv::startTrace("second");
  captured();
  // Both runs fall into one second unless the clock ticked in between.
  if (kivtest::listDir(dir_).size() == 2) GTEST_SKIP() << "the second changed between the starts";
  EXPECT_THAT(kivtest::readFile(kiv::trace.tracefile), ::testing::Not(HasSubstr("old line")));
}

TEST_F(TraceTest, LevelGatedLinesNeedALevelAboveTheThreshold) {
  kiv::trace.tracelevel = 7;
  kiv::traceLineL(7, "not at 7\n");
  kiv::trace.tracelevel = 8;
  kiv::traceLineL(7, "at 8\n");
  kiv::trace.insertTimeStamp = false;
  kiv::traceLineL(0, "no stamp\n");
  EXPECT_EQ(kivtest::readFile(kiv::trace.tracefile).substr(17), "   at 8\nno stamp\n");
}

TEST_F(TraceTest, UnwritableFileLosesLinesQuietly) {
  kiv::trace.tracefile = dir_ + "/missing/dir/trace.txt";
  kiv::traceLine("lost\n");
  kiv::endTrace();
  EXPECT_FALSE(kiv::trace.active());
}

TEST_F(TraceTest, ErrorReportsOnConsoleAndTraceThenExits16) {
  ::testing::internal::CaptureStdout();
  std::string file = kiv::trace.tracefile;
  try {
    kiv::error("Something broke.");
    FAIL() << "error returned";
  } catch (const ExitCalled& e) {
    EXPECT_EQ(e.code, 16);
  }
  EXPECT_EQ(captured(), "Error: Something broke.\nTerminating...\nFinishing trace...\n");
  auto lines = unstamped(file);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Error: Something broke.");
  EXPECT_EQ(lines[1], "Terminating...");
  EXPECT_THAT(lines[3], HasSubstr("Trace ended at "));
}

TEST_F(TraceTest, JDK11RecordDump) {
  char p1[] = "a=1";
  char p2[] = "b=2";
  char* props[] = {p1, p2, nullptr};
  char cp[] = "x.zip";
  JDK1_1InitArgs args{};
  args.version = 0x00010001;
  args.properties = props;
  args.nativeStackSize = 131072;
  args.minHeapSize = 1048576;
  args.maxHeapSize = 134217728;
  args.verifyMode = 1;
  args.verbose = 1;
  kiv::traceJDK11InitArgs(nullptr);
  kiv::traceJDK11InitArgs(&args);
  args.classpath = cp;
  kiv::traceJDK11InitArgs(&args);
  auto lines = unstamped(kiv::trace.tracefile);
  ASSERT_EQ(lines.size(), 20u + 21u);
  EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 13),
              ElementsAre("InitArg Contents:", "\tversion=00010001", "\tproperties {", "\t\ta=1", "\t\tb=2", "\t}",
                          "\tcheckSource=0", "\tnativeStackSize=131072 (x20000)", "\tjavaStackSize=0 (x0)",
                          "\tminHeapSize=1048576 (x100000)", "\tmaxHeapSize=134217728 (x8000000)", "\tverifyMode=1",
                          MatchesRegex("\tclasspath\\(ptr\\)=.*")));
  EXPECT_EQ(lines[13], "\tprinthook=(nil)");
  EXPECT_EQ(lines[19], "\tverbose=1");
  EXPECT_EQ(lines[20 + 13], "\tclasspath(str)=x.zip") << "the text only when there is one";
}

TEST_F(TraceTest, VMOptionDump) {
  kiv::traceJavaVMOptions();
  EXPECT_EQ(kivtest::readFile(kiv::trace.tracefile), "") << "nothing for an empty list";
  kiv::addOptionToListOfJavaVMOptions("a", "1");
  kiv::addOptionToListOfJavaVMOptions("-Xint", nullptr);
  kiv::traceJavaVMOptions();
  EXPECT_THAT(unstamped(kiv::trace.tracefile), ElementsAre("JavaVMOptions:", "\t-Da=1", "\t-Xint"));
}

// A line that the system takes only in part is finished with further writes:
// a signal ends the write into a full pipe early.
TEST(TraceAppend, LineTakenInPartIsFinished) {
  const std::string dir = kivtest::makeTempDir("append");
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct sigaction quiet {}, old {};
  quiet.sa_handler = [](int) {};
  sigemptyset(&quiet.sa_mask);  // no SA_RESTART: the write returns what it wrote
  sigaction(SIGUSR1, &quiet, &old);
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i) + " ";
  text += "\n";
  int result = -1;
  std::thread writer([&] { result = kiv::platform::appendToFile(fifo.c_str(), text); });
  int fd = open(fifo.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const int capacity = fcntl(fd, F_GETPIPE_SZ);
  int queued = 0;
  for (int i = 0; i < 2500 && queued < capacity; ++i) {  // at most 5 s until the pipe is full
    ioctl(fd, FIONREAD, &queued);
    usleep(2000);
  }
  pthread_kill(writer.native_handle(), SIGUSR1);
  std::string got;
  char buf[65536];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  writer.join();
  close(fd);
  sigaction(SIGUSR1, &old, nullptr);
  std::filesystem::remove_all(dir);
  EXPECT_EQ(queued, capacity) << "the pipe never filled";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(got.size(), text.size());
  EXPECT_TRUE(got == text) << "the rest followed in order";
}

}  // namespace
