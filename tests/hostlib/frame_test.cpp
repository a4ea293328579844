// The frame's native methods called as the VM calls them, with the stand-in
// JNIEnv: trace control, library version, user id, and the wrapper that
// keeps failures inside the library.
#include "com_zov_kiv_host_KivHostUtilities.h"
#include "com_zov_kiv_host_KivJava.h"
#include "fakejni.h"
#include "frame_lines.h"
#include "kivjnicall.h"
#include "kivutils.h"
#include "test_trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <stdexcept>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
namespace ku = kiv::utils;

namespace {

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    ku::stopTrace();
    utilities_ = fake_.defineClass("com/zov/kiv/host/KivHostUtilities");
    java_ = fake_.defineClass("com/zov/kiv/host/KivJava");
    for (const char* s : {"cvPW_name", "cvPW_dir", "cvPW_shell"}) fake_.declare(java_, s, "Ljava/lang/String;", true);
    for (const char* s : {"cvPW_uid", "cvPW_gid"}) fake_.declare(java_, s, "I", true);
  }
  void TearDown() override {
    ku::stopTrace();
    EXPECT_EQ(fake_.localRefsHeld(), 0u);
    EXPECT_EQ(fake_.utfCharsHeld(), 0);
    EXPECT_EQ(fake_.callsWithExceptionPending, 0);
  }
  JNIEnv* env() { return fake_.env(); }
  jint initTrace(const std::string& path, jint level) {
    return Java_com_zov_kiv_host_KivHostUtilities_initTraceN(env(), utilities_, fake_.string(path), level);
  }
  jint traceLine(const char* text, jint level) {
    return Java_com_zov_kiv_host_KivHostUtilities_traceLineN(env(), utilities_, text ? fake_.string(text) : nullptr,
                                                              level);
  }
  jint traceLevel(jint level) { return Java_com_zov_kiv_host_KivHostUtilities_traceLevelN(env(), utilities_, level); }

  kivtest::FakeJni fake_;
  kivtest::FakeClass* utilities_ = nullptr;
  kivtest::FakeClass* java_ = nullptr;
};

TEST_F(Frame, TraceLineWithoutFileOrAboveTheLevel) {
  EXPECT_EQ(traceLine("x", 0), -1) << "no trace file";
  std::string dir = kivtest::makeTempDir("frame");
  std::string path = dir + "/t.txt";
  EXPECT_EQ(initTrace(path, 3), 0);
  EXPECT_FALSE(std::filesystem::exists(path) && !kivtest::readFile(path).empty()) << "initTraceN writes nothing";
  EXPECT_EQ(traceLine("x", 5), 0);
  EXPECT_EQ(traceLine("y", 3), 0);
  EXPECT_EQ(traceLine(nullptr, 4), 0) << "a line nobody writes";
  EXPECT_EQ(traceLine(nullptr, 1), -1) << "a null String is a text that cannot be copied";
  auto lines = kivtest::lines(kivtest::readFile(path));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d   y)"))) << lines[0];
  EXPECT_EQ(lines[1].substr(17), "   \t\t\tGetString() : ****** null String ******");
  std::filesystem::remove_all(dir);
}

TEST_F(Frame, InitTraceFailsInAMissingDirectory) {
  std::string dir = kivtest::makeTempDir("frame");
  EXPECT_EQ(initTrace(dir + "/a.txt", 4), 0);
  EXPECT_EQ(initTrace(dir + "/no/such/dir/t.txt", 5), -1);
  EXPECT_EQ(ku::traceLevel(), 0);
  EXPECT_FALSE(ku::traceActive());
  EXPECT_EQ(traceLine("x", 0), -1);
  std::filesystem::remove_all(dir);
}

TEST_F(Frame, InitTraceWithNullPathTurnsTraceOff) {
  kivtest::TraceFile trace(5);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_initTraceN(env(), utilities_, nullptr, 5), -1);
  EXPECT_FALSE(ku::traceActive());
  EXPECT_EQ(ku::traceLevel(), 0);
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\tGetString() : ****** null String ******"));
}

TEST_F(Frame, SecondInitReplacesFileAndLevel) {
  kivtest::TraceFile first(2);
  std::string second = first.dir() + "/second.txt";
  EXPECT_EQ(initTrace(second, 6), 0);
  EXPECT_EQ(ku::traceLevel(), 6);
  EXPECT_EQ(traceLine("two", 6), 0);
  EXPECT_THAT(first.lines(), IsEmpty());
  EXPECT_EQ(kivtest::lines(kivtest::readFile(second)).size(), 1u);
}

TEST_F(Frame, TraceLevelAnnouncesOnlyAroundLevelEight) {
  kivtest::TraceFile trace(0);
  EXPECT_EQ(traceLevel(7), 0) << "from 0 to 7: silent";
  EXPECT_EQ(traceLevel(7), 0) << "from 7 to 7: silent";
  EXPECT_EQ(traceLevel(8), 0) << "to 8: announced";
  EXPECT_EQ(traceLevel(7), 0) << "from 8: announced";
  EXPECT_EQ(traceLevel(9), 0);
  EXPECT_EQ(traceLevel(3), 0) << "from 9: announced";
  EXPECT_EQ(traceLevel(2), 0) << "from 3 to 2: silent";
  EXPECT_EQ(ku::traceLevel(), 2);
  EXPECT_THAT(trace.lines(),
              ElementsAre("Set trace level 8", "Set trace level 7", "Set trace level 9", "Set trace level 3"));
}

// The level that initTraceN and traceLevelN set gates lines at the boundary
// itself: at 7 a level-7 line is written and a level-8 line (a method's
// begin and end) is not; at 8 both are, a level-9 line is not.
TEST_F(Frame, LevelsSevenAndEight) {
  std::string dir = kivtest::makeTempDir("frame");
  std::string path = dir + "/t.txt";
  auto since = [&, seen = std::size_t{0}]() mutable {
    std::vector<std::string> out;
    auto all = kivtest::lines(kivtest::readFile(path));
    for (std::size_t i = seen; i < all.size(); ++i) out.push_back(all[i].substr(20));
    seen = all.size();
    return out;
  };
  auto userId = [&] { Java_com_zov_kiv_host_KivJava_getUserIdN(env(), java_); };
  EXPECT_EQ(initTrace(path, 7), 0);
  EXPECT_EQ(ku::traceLevel(), 7);
  traceLine("seven", 7);
  traceLine("eight", 8);
  userId();
  EXPECT_THAT(since(), ElementsAre("seven", "\tUser Id: TESTUSER"));
  EXPECT_EQ(initTrace(path, 8), 0);
  EXPECT_EQ(ku::traceLevel(), 8);
  traceLine("eight", 8);
  traceLine("nine", 9);
  userId();
  EXPECT_THAT(since(), ElementsAre("eight", "getUserIdN() begin", "\tUser Id: TESTUSER", "getUserIdN() end (rc=0)"));
  EXPECT_EQ(traceLevel(7), 0);
  traceLine("eight", 8);
  userId();
  EXPECT_THAT(since(), ElementsAre("Set trace level 7", "\tUser Id: TESTUSER"));
  EXPECT_EQ(traceLevel(8), 0);
  traceLine("eight", 8);
  traceLine("nine", 9);
  userId();
  EXPECT_THAT(since(), ElementsAre("Set trace level 8", "eight", "getUserIdN() begin", "\tUser Id: TESTUSER",
                                   "getUserIdN() end (rc=0)"));
  std::filesystem::remove_all(dir);
}

TEST_F(Frame, TraceLevelIsKeptWhileOff) {
  EXPECT_EQ(traceLevel(9), 0);
  EXPECT_EQ(ku::traceLevel(), 9);
  EXPECT_EQ(traceLine("x", 1), -1) << "level kept, but no file";
}

TEST_F(Frame, StopTraceTurnsOff) {
  kivtest::TraceFile trace(5);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_stopTraceN(env(), utilities_), 0);
  EXPECT_EQ(ku::traceLevel(), 0);
  EXPECT_EQ(traceLine("x", 0), -1);
  EXPECT_THAT(trace.lines(), IsEmpty());
}

TEST_F(Frame, LibraryVersion) {
  EXPECT_EQ(Java_com_zov_kiv_host_KivJava_checkLibraryVersionN(env(), java_), 41031);
}

TEST_F(Frame, UserIdFieldsAndTrace) {
  kivtest::TraceFile trace(9);
  EXPECT_EQ(Java_com_zov_kiv_host_KivJava_getUserIdN(env(), java_), 0);
  EXPECT_EQ(fake_.staticValue(java_, "cvPW_name").s, "TESTUSER");
  EXPECT_EQ(fake_.staticValue(java_, "cvPW_uid").i, 0);
  EXPECT_EQ(fake_.staticValue(java_, "cvPW_gid").i, 0);
  EXPECT_EQ(fake_.staticValue(java_, "cvPW_dir").s, "/u/home");
  EXPECT_EQ(fake_.staticValue(java_, "cvPW_shell").s, "SH");
  EXPECT_THAT(trace.lines(), ElementsAreArray(kivtest::kGetUserIdLines));
}

TEST_F(Frame, UserIdAtLevelOne) {
  kivtest::TraceFile trace(1);
  Java_com_zov_kiv_host_KivJava_getUserIdN(env(), java_);
  EXPECT_THAT(trace.lines(), ElementsAre("\tUser Id: TESTUSER"));
}

TEST_F(Frame, FailureInsideAMethodBecomesItsFailureValue) {
  kivtest::TraceFile trace(1);
  fake_.throwInUtfChars = true;
  EXPECT_EQ(traceLine("x", 1), -1);
  EXPECT_EQ(ku::guarded("someN", 7, []() -> int { throw std::runtime_error("boom"); }), 7);
  ku::guardedVoid("otherN", [] { throw 1; });
  EXPECT_THAT(trace.lines(), ElementsAre("\t****** internal error in traceLineN: std::bad_alloc ******",
                                         "\t****** internal error in someN: boom ******",
                                         "\t****** internal error in otherN: unknown error ******"));
}

}  // namespace
