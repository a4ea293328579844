// The hard cases through kivjava and a real JVM (com.zov.kiv.test.HardCasesSuite):
// handle values that come back, records of any bytes, threads on one console
// and one DD request, directories and a full device; the allocation lines
// written meanwhile, the level at which each kind of trace line starts, and
// the same run under -Xcheck:jni.
#include "process.h"
#include "suite_e2e.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class HardCasesE2e : public JavaSuiteE2e {
 protected:
  void SetUp() override {
    prepare("kivutils-hardcases", "hc.properties", "com.zov.kiv.test.HardCasesSuite");
    if (IsSkipped()) return;
    // "ABC", U+1F600 in standard UTF-8, "D", the Latin-1 byte of U+00B0, "F".
    opts_.env["KIVJAVASYSNAME"] = "ABC\xF0\x9F\x98\x80" "D\xB0" "F";
    if (std::filesystem::exists("/dev/full")) std::filesystem::create_symlink("/dev/full", dir_ + "/ZZ.FULL__");
  }

  kivtest::RunResult suite(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {KIVJAVA, "hc.properties", "-t", "tr"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto r = kivtest::run(args, opts_);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.out, ContainsRegex("hardcases: [0-9]+ passed, 0 failed")) << r.out;
    EXPECT_THAT(r.out, Not(HasSubstr("FAILED")));
    return r;
  }
};

INSTANTIATE_TEST_SUITE_P(Jdks, HardCasesE2e, ::testing::ValuesIn(suiteJdks()), suiteJdkName);

TEST_P(HardCasesE2e, NothingLostNothingCrashed) {
  suite();
  // Every allocation line of the DD that the member test kept swapping shows
  // the request as it was allocated.
  auto lines = traceBetween("hardcases: requests", "hardcases: requests end");
  int allocations = 0;
  for (const std::string& line : lines) {
    if (line.find("Alloc") == std::string::npos) continue;
    ++allocations;
    ASSERT_EQ(line, "\tAlloc    DD=RACE (ZZ.RACE(M1), DISP=(SHR,KEEP,KEEP))   rc=0 (0,0)");
  }
  EXPECT_GT(allocations, 0);
}

// Each kind of line first appears at its own level: written at that level
// and above, not one below.
TEST_P(HardCasesE2e, EachLineStartsAtItsLevel) {
  kivtest::writeFile(dir_ + "/hc.properties", kivtest::readFile(dir_ + "/hc.properties") +
                                                   "hardcases.sections=levels\n");
  suite();
  struct Kind {
    const char* pattern;
    int level;
  };
  const Kind kinds[] = {
      {R"(User console 'LEVELS' activated)", 1},
      {R"(\tWTO: LEVEL)", 1},
      {R"(\tchmod\(\): rc=0, dir='/u/zz', mode='755')", 1},
      {R"(\tOpen        [0-9a-f]{8}  wt,recfm=\*  \(ZZ\.LEVOUT__\))", 3},
      {R"(\tOpen        [0-9a-f]{8}  rt  \(ZZ\.LEVEL__\))", 3},
      {R"(\tClose       [0-9a-f]{8} \(rc=0\))", 3},
      {R"(\tWrite       [0-9a-f]+  Write chars: 8)", 5},
      {R"(\tRead        [0-9a-f]+  Chars read: 11)", 5},
      {R"(\t'written)", 7},
      {R"(\t            114)", 7},
      {R"(\tRead        [0-9a-f]+  Bytes read: 2)", 7},
      {R"(openN\(\) begin)", 8},
      {R"(writeRecordN\(\) end)", 8},
      {R"(readRecordN\(\) begin)", 8},
      {R"(readBytesN\(\) begin \(readLen=2\))", 8},
      {R"(\t\tconsMak\.\.\.)", 8},
      {R"(chmodN\(\) begin)", 8},
      {R"(wtoN\(\) end \(rc=0\))", 8},
      {R"(\t'record one)", 9},
      {R"(\t\t\tgetInteger\(\) : ivMaxreclen=11 \(0xb\))", 9},
      {R"(\t\t\tsetBoolean\(\) : dsorgHFS=true)", 9},
      {R"(\tchInputBuffer allocated:  length=[0-9]+)", 9},
  };
  for (int level = 0; level <= 9; ++level) {
    auto lines = traceBetween("hardcases: level " + std::to_string(level),
                              level < 9 ? "hardcases: level " + std::to_string(level + 1) : "hardcases: levels end");
    ASSERT_FALSE(level > 0 && lines.empty()) << "no lines at level " << level;
    for (const Kind& kind : kinds) {
      std::regex re(kind.pattern);
      bool found = false;
      for (const std::string& line : lines) found = found || std::regex_match(line, re);
      EXPECT_EQ(found, level >= kind.level) << "'" << kind.pattern << "' at level " << level;
    }
  }
}

TEST_P(HardCasesE2e, UnderCheckJni) {
  kivtest::writeFile(dir_ + "/hc.properties", kivtest::readFile(dir_ + "/hc.properties") + "hardcases.millis=300\n");
  auto r = suite({"-checkjni"});
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("WARNING in native method")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("FATAL ERROR")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("exceeds capacity")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("Bad global or local ref")));
}

}  // namespace
