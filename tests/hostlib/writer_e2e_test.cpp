// The record writer through kivjava and the real JDKs (com.zov.kiv.test.WriterSuite):
// Strings of every kind give the bytes that Java's own modified UTF-8 encoder
// gives, whichever way the text is taken (each forced in turn, and with
// compact Strings off); eight threads on one writer; writers never closed.
#include "process.h"
#include "suite_e2e.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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
