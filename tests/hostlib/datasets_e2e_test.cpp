// DD objects and data-set streams through kivjava and a real JVM: the Java
// suite com.zov.kiv.test.DatasetSuite calls every native method in a
// directory of its own; this test checks its verdicts, the trace lines it
// caused at their levels, and the same run under -Xcheck:jni.
#include "process.h"
#include "suite_e2e.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using ::testing::Contains;
using ::testing::ContainsRegex;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::MatchesRegex;
using ::testing::Not;

namespace {

const std::string kJars = JAR_DIR;

class DatasetsE2e : public JavaSuiteE2e {
 protected:
  void SetUp() override { prepare("kivutils-datasets", "ds.properties", "com.zov.kiv.test.DatasetSuite"); }

  kivtest::RunResult suite(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {KIVJAVA, "ds.properties", "-t", "tr"};
    args.insert(args.end(), extra.begin(), extra.end());
    return kivtest::run(args, opts_);
  }

};

INSTANTIATE_TEST_SUITE_P(Jdks, DatasetsE2e, ::testing::ValuesIn(suiteJdks()), suiteJdkName);

void expectPassed(const kivtest::RunResult& r) {
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, ContainsRegex("datasets: [0-9]+ passed, 0 failed")) << r.out;
  EXPECT_THAT(r.out, Not(HasSubstr("FAILED")));
}

TEST_P(DatasetsE2e, EveryMethodWithItsFields) {
  expectPassed(suite());
  // Nothing of the suite's files is left open or half-written.
  EXPECT_EQ(kivtest::readFile(dir_ + "/ZZ.OUT_M2_"), "first\nnoAB\nA\nZ");
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/$u$zz$a.txt"));
}

TEST_P(DatasetsE2e, TraceLinesAtLevelNine) {
  expectPassed(suite());
  auto lines = traceBetween("datasets: level 9", "datasets: level 4");
  EXPECT_THAT(lines, IsSupersetOf(std::vector<std::string>{
      "getConcatIdentN() begin",
      "\tAlloc    DD=SYS00000 (ZZ.DATA(M1), DISP=(SHR,KEEP,KEEP))   rc=0 (0,0)",
      "\tAlloc    DD=SYSUT1 (ZZ.DATA(M1), VOL=SER=VOL001, DISP=(SHR,KEEP,KEEP))   rc=0 (0,0)",
      "\tAlloc    DD=FIELDS (ZZ.FIELDS(M1), VOL=SER=VOL001, UNIT=3390, DISP=(SHR,CATLG,DELETE))   rc=0 (0,0)",
      "\tAlloc    DD=PATHDD (/u/zz/fields.txt, PATHDISP=(KEEP,UNCATLG))   rc=0 (0,0)",
      "\tAlloc    DD=NEWDD (ZZ.DATA, DISP=(NEW,KEEP,KEEP))   rc=4 (4704,0)",
      "\tError: dynalloc() rc=4, error code=0x4704, info code=0000",
      "\tError: dynalloc() rc=4, error code=0x6708, info code=0000",
      "\t\t\tsetString()  : ivDDName=\"SYS00000\"",
      "dynfreeN(): ERROR: pip already NULL",
      "dyndestroyN(): ERROR: pip already NULL",
      "dynallocN() end (rc=4)",
      "\tchInputBuffer allocated:  length=14",
      "\tchOutputBuffer allocated:  length=5",
      "\t'line1",
      "\t'no'",
      "\t\t\tsetBoolean() : dsorgHFS=true",
      "\t\t\tsetInteger() : ivMaxreclen=12 (0xc)",
      "\t\t\tsetInteger() : ivMaxreclen=65535 (0xffff)",
      "\tInfo: OUTDD corresponds to ZZ.OUT_M2_",
      "\tmemberExistsN(): dd='OUTDD', member='M2', rc=1",
      "\tmemberExistsN(): dd='OUTDD', member='M9', rc=0",
      "\tError: (errno=2) No such file or directory",
      "\t\t\tsetInteger() : errno=2 (0x2)",
      "\t\t\tsetString()  : strerror=\"No such file or directory\"",
      "\tOpen        00000000  rt  (ZZ.MISSING__)",
      "\tOpen        rt failed for ZZ.MISSING__",
      "readBytesN() begin (readLen=0)",
      "\t            -128",
      "\t            10",
      "\tConcatenate 'CONC2' to 'CONC1'",
      "\tClose       00000000 (rc=-1)",
      "\tClose       failed",
      "testN() end",
  }));
  // dyninitN reports its codes, then reads the fields in their order.
  auto begin = std::find(lines.begin(), lines.end(), "dyninitN() begin");
  ASSERT_GE(lines.end() - begin, 8);
  EXPECT_THAT(std::vector<std::string>(begin, begin + 8), ElementsAreArray(std::vector<std::string>{
      "dyninitN() begin",
      "\t\t\tsetInteger() : ivRc=0 (0x0)",
      "\t\t\tsetInteger() : ivErrcode=0 (0x0)",
      "\t\t\tsetInteger() : ivInfocode=0 (0x0)",
      "\t\t\tgetString()  : ivDDName=\"<null>\"",
      "\t\t\tgetString()  : ivDSName=\"ZZ.DATA\"",
      "\t\t\tgetString()  : ivMember=\"M1\"",
      "\t\t\tgetString()  : ivVolser=\"<null>\"",
  }));
  std::regex open(R"(\tOpen        [0-9a-f]{8}  (rt|rb|wt,recfm=\*|wb)  \(.*\))");
  std::regex read(R"(\tRead        [0-9a-f]+  (Chars|Bytes) read: -?[0-9]+)");
  int opens = 0, reads = 0;
  for (const std::string& l : lines) {
    opens += std::regex_match(l, open);
    reads += std::regex_match(l, read);
  }
  EXPECT_GE(opens, 10);
  EXPECT_GE(reads, 8);
}

TEST_P(DatasetsE2e, LowerLevelsKeepTheirLines) {
  expectPassed(suite());
  auto four = traceBetween("datasets: level 4", "datasets: done");
  ASSERT_FALSE(four.empty());
  EXPECT_THAT(four[0], MatchesRegex("\tOpen        [0-9a-f]{8}  rt  \\(ZZ\\.DATA__\\)"));
  EXPECT_THAT(four[1], MatchesRegex("\tClose       [0-9a-f]{8} \\(rc=0\\)"));
  // Level 0 for the threads: nothing more.
  EXPECT_EQ(four.size(), 2u) << ::testing::PrintToString(four);
}

TEST_P(DatasetsE2e, UnderCheckJni) {
  auto r = suite({"-checkjni"});
  expectPassed(r);
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("WARNING in native method")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("FATAL ERROR")));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("exceeds capacity")));
}

TEST_P(DatasetsE2e, DemoWalksTheRequest) {
  opts_.env["KIVCLASSPATH2"] = kJars + "/kivdemo.jar:";
  kivtest::writeFile(dir_ + "/demo.properties", "kiv.application=com.zov.kiv.demo.Demo\n"
                                                "kiv.library=" KIVUTILS_LIBRARY "\n");
  // A run before leaves its data set behind; the demo starts afresh.
  for (int run = 0; run < 2; ++run) {
    auto r = kivtest::run({KIVJAVA, "demo.properties", "-t", "tr" + std::to_string(run)}, opts_);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr(
        "Data sets: allocated the new data set DEMO.DATA to DD SYS00000 (rc=0)\n"
        "Data sets: wrote 3 records (49 characters) into member M1\n"
        "Data sets: wrote 14 bytes into member M2\n"
        "Data sets: allocated DEMO.DATA(M1) to DD SYS00001 (rc=0)\n"
        "Data sets: record read: //DEMOJOB JOB (ACCT)\n"
        "Data sets: record read: //STEP1 EXEC PGM=IEFBR14\n"
        "Data sets: record read: /*\n"
        "Data sets: read the member again as 49 bytes\n"
        "Data sets: member M2 exists: yes\n"
        "Data sets: member M3 exists: no\n"
        "Data sets: freed and destroyed DD SYS00001 (rc=0)\n"
        "Data sets: freed and destroyed DD SYS00000 (rc=0)\n")) << r.out;
  }
  auto files = kivtest::listDir(dir_ + "/tr1");
  ASSERT_EQ(files.size(), 1u);
  std::string trace = kivtest::readFile(dir_ + "/tr1/" + files[0]);
  EXPECT_THAT(trace, HasSubstr("   \tAlloc    DD=SYS00000 (DEMO.DATA, DISP=(NEW,CATLG,KEEP))   rc=0 (0,0)\n"));
  EXPECT_THAT(trace, HasSubstr("   \tmemberExistsN(): dd='SYS00001', member='M2', rc=1\n"));
}

}  // namespace
