// kivjava's spawned-client modes run as real child processes, as the Java
// side starts them: output, end marker on both streams, exit codes, and the
// lines they add to a shared trace file.
#include "kivdssim.h"
#include "process.h"
#include "request_codes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

const std::string kMarker = "-00000-child-end-00000-";
const std::string kMarkerErr = kMarker + ": Success\n";
const std::string kConcat = "$C$O$N$C$A$T$ $$$ ";

std::string rcLine(const std::string& digits, const std::string& hex) {
  return "return code from system call: " + digits + " (" + hex + ")\n";
}

std::string pip(const char* dd, const char* ds, int8_t status = 0, int8_t normdisp = 0) {
  kiv::PIP p;
  if (dd) p.ddName = dd;
  if (ds) p.dsName = ds;
  p.status = status;
  p.normdisp = normdisp;
  return kiv::makeStringFromPIP(p);
}

class Spawn : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = kivtest::makeTempDir("spawn");
    opts_.cwd = dir_;
    opts_.env["KIVCREATEFILES"] = std::nullopt;
    opts_.env["KIVDELETEFILES"] = std::nullopt;
    trace_ = dir_ + "/shared trace.txt";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  kivtest::RunResult kivjava(std::vector<std::string> args, std::optional<std::string> input = std::nullopt) {
    args.insert(args.begin(), KIVJAVA);
    opts_.input = std::move(input);
    return kivtest::run(args, opts_);
  }
  kivtest::RunResult attach(const std::string& list, const std::string& level, const std::string& utility = "UTIL1",
                            const std::string& parm = "", const std::string& steplib = "") {
    return kivjava({"-spawnclient_attach", utility, parm, steplib, list, trace_, level});
  }
  // The trace lines without their time stamps.
  std::vector<std::string> traced() {
    std::vector<std::string> out;
    for (const std::string& l : kivtest::lines(kivtest::readFile(trace_))) out.push_back(l.substr(20));
    return out;
  }
  std::string dir_;
  std::string trace_;
  kivtest::RunOptions opts_;
};

// ---- system mode ---------------------------------------------------------------

TEST_F(Spawn, SystemRunsTheCommandLine) {
  auto r = kivjava({"-spawnclient_system", "", ""}, "echo hello; echo oops >&2\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "hello\n" + rcLine("000000000000", "00000000") + kMarker);
  EXPECT_EQ(r.err, "oops\n" + kMarkerErr);
  EXPECT_FALSE(std::filesystem::exists(trace_));
}

TEST_F(Spawn, SystemReturnsTheCommandsExitStatus) {
  auto one = kivjava({"-spawnclient_system", "", ""}, "exit 1\n");
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_EQ(one.out, rcLine("000000000001", "00000001") + kMarker);
  auto big = kivjava({"-spawnclient_system", "", ""}, "exit 200");  // no line end
  EXPECT_EQ(big.exitCode, 200);
  EXPECT_EQ(big.out, rcLine("000000000200", "000000c8") + kMarker);
  auto killed = kivjava({"-spawnclient_system", "", ""}, "kill -9 $$\r\n");
  EXPECT_EQ(killed.exitCode, 137);
  EXPECT_THAT(killed.out, HasSubstr(rcLine("000000000137", "00000089")));
}

TEST_F(Spawn, SystemDropsTheCarriageReturnBeforeTheLineEnd) {
  auto r = kivjava({"-spawnclient_system", "", ""}, "echo ab.\r\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ab.\n" + rcLine("000000000000", "00000000") + kMarker) << "no CR reached the command";
}

TEST_F(Spawn, SystemAtEndOfInputPrintsNothing) {
  auto r = kivjava({"-spawnclient_system", trace_, "9"}, "");
  EXPECT_EQ(r.exitCode, 255);  // -1
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_THAT(traced(), ElementsAre("spawnclient_system() begin"));
}

TEST_F(Spawn, SystemRefusesALineLongerThanItsBuffer) {
  std::string line = "touch RAN; #" + std::string(1100, 'x') + "\necho second\n";
  auto r = kivjava({"-spawnclient_system", "", ""}, line);
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.out, rcLine("-000000000001", "ffffffff") + kMarker);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/RAN"));

  // The line end takes no room: 1023 characters fit with LF or CR LF, 1024 do not.
  auto ofLength = [](const std::string& file, std::size_t length, const std::string& end) {
    std::string text = "touch " + file + " #";
    return text + std::string(length - text.size(), 'x') + end;
  };
  for (const auto& [file, length, end] : {std::tuple{"LF1023", 1023u, "\n"}, std::tuple{"CRLF1023", 1023u, "\r\n"},
                                          std::tuple{"CRLF1022", 1022u, "\r\n"}}) {
    auto fits = kivjava({"-spawnclient_system", "", ""}, ofLength(file, length, end));
    EXPECT_EQ(fits.exitCode, 0) << file;
    EXPECT_EQ(fits.out, rcLine("000000000000", "00000000") + kMarker) << file;
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/" + file)) << file;
  }
  auto over = kivjava({"-spawnclient_system", "", ""}, ofLength("CRLF1024", 1024, "\r\n"));
  EXPECT_EQ(over.exitCode, 255);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/CRLF1024"));
}

TEST_F(Spawn, SystemWithMissingPositions) {
  auto r = kivjava({"-spawnclient_system"}, "exit 4\n");
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_THAT(r.out, EndsWith(kMarker));
}

TEST_F(Spawn, TraceLevelsSevenAndEight) {
  kivjava({"-spawnclient_system", trace_, "7"}, "true\n");
  EXPECT_FALSE(std::filesystem::exists(trace_));
  kivjava({"-spawnclient_system", trace_, "8"}, "true\n");
  kivjava({"-spawnclient_system", trace_, "x"}, "true\n");  // not a number: 0
  kivjava({"-spawnclient_system", "", "9"}, "true\n");      // no file: nothing
  EXPECT_THAT(traced(), ElementsAre("spawnclient_system() begin", "spawnclient_system(): 'true'",
                                    "spawnclient_system() end"));
}

// ---- utility mode --------------------------------------------------------------

TEST_F(Spawn, AttachWithAnEmptyList) {
  auto r = attach("", "1", "UTIL1", "LIST", "MYLIB");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "argv[0]: " KIVJAVA "\nargv[1]: -spawnclient_attach\nargv[2]: UTIL1\nargv[3]: LIST\n"
                   "argv[4]: MYLIB\nargv[5]: \nargv[6]: " + trace_ + "\nargv[7]: 1\n" +
                   rcLine("000000000000", "00000000") + kMarker);
  EXPECT_EQ(r.err, kMarkerErr);
  EXPECT_THAT(traced(), ElementsAre("\tATTACH='UTIL1   '  (PARM='LIST')  (STEPLIB='MYLIB   ')",
                                    "\tMVS would have called the utility 'UTIL1   ' now.",
                                    "\tATTACH return code=00000000"));
}

TEST_F(Spawn, AttachWithMissingPositionsPrintsEmptyArguments) {
  auto r = kivjava({"-spawnclient_attach", "U"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("argv[2]: U\nargv[3]: \nargv[4]: \nargv[5]: \nargv[6]: \nargv[7]: \n"));
  EXPECT_THAT(r.out, EndsWith(kMarker));
}

TEST_F(Spawn, AttachWithAFailingAllocation) {
  auto r = attach(pip("A", "ZZ.A", kivtest::kNew) + pip("B", "ZZ.MISSING", kivtest::kShr), "8");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, EndsWith(rcLine("000016773120", "00fff000") + kMarker));
  EXPECT_EQ(r.err, kMarkerErr);
  auto t = traced();
  EXPECT_THAT(t, Not(::testing::Contains(HasSubstr("ATTACH="))));
  EXPECT_THAT(t, ::testing::Contains(
                     "\tdynalloc failed: DD=B (ZZ.MISSING), errcode=0x00006708, infocode=0x00000000"));
  EXPECT_EQ(t.back(), "spawnclient_attach() end");
}

TEST_F(Spawn, AttachWithConcatenationsAndFiles) {
  opts_.env["KIVCREATEFILES"] = "YES";
  opts_.env["KIVDELETEFILES"] = "YES";
  const std::string list = pip("A", "ZZ.A", kivtest::kNew, kivtest::kDelete) + kConcat +
                           pip("B", "ZZ.B", kivtest::kShr, kivtest::kKeep) + kConcat +
                           pip("????????", "ZZ.C", kivtest::kNew, kivtest::kKeep);
  auto r = attach(list, "5");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("Creating file 'ZZ.A__'\n"));
  EXPECT_THAT(r.out, EndsWith(rcLine("000000000000", "00000000") + kMarker));
  // A is deleted at release; B and C were kept.
  EXPECT_THAT(kivtest::listDir(dir_), ElementsAre("ZZ.B__", "ZZ.C__", "shared trace.txt"));
  auto t = traced();
  EXPECT_THAT(t, Not(::testing::Contains("spawnclient_attach() begin")));  // level 8 only
  EXPECT_EQ(std::count(t.begin(), t.end(), "\tconcatenate next DD to 'A'"), 2);
  EXPECT_EQ(std::count(t.begin(), t.end(), "\tcurrent DD name: 'A'"), 3);
  EXPECT_THAT(t, ::testing::Contains("\tfree in spawned process: A"));
  EXPECT_THAT(t, Not(::testing::Contains("\tfree in spawned process: >")));
}

TEST_F(Spawn, ChildrenShareOneTraceFile) {
  kivjava({"-spawnclient_system", trace_, "8"}, "true\n");
  attach("", "8");
  EXPECT_THAT(traced(), ElementsAre("spawnclient_system() begin", "spawnclient_system(): 'true'",
                                    "spawnclient_system() end", "spawnclient_attach() begin",
                                    "\tATTACH='UTIL1   '    ", "\tMVS would have called the utility 'UTIL1   ' now.",
                                    "\tATTACH return code=00000000", "spawnclient_attach() end"));
}

}  // namespace
