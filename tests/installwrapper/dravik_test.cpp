// Dravik's checks and main flow against a scripted machine.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <ostream>
#include <vector>

#include "dravik.h"
#include "dravikmsg.h"
#include "english.h"

namespace dravik {
namespace {

// The English table, as the program's resources hold it.
class EnglishStrings : public Strings {
 public:
  std::string load(unsigned id, std::size_t capacity) const override {
    loads.push_back({id, capacity});
    const auto& texts = test::englishTexts();
    const auto it = texts.find(id);
    if (it == texts.end() || capacity == 0) return {};
    return it->second.substr(0, capacity - 1);  // as LoadStringA cuts it
  }
  mutable std::vector<std::pair<unsigned, std::size_t>> loads;
};

std::string formatted(int pack) { return formatNumber(DRAVIK_EN_SERVICE_PACK, pack); }

OsVersion nt(unsigned long major, unsigned long minor, std::string pack = "") {
  return {kPlatformNt, major, minor, std::move(pack)};
}
OsVersion win9x(unsigned long major, unsigned long minor) { return {kPlatformWindows, major, minor, ""}; }

// ---- operating-system rules ------------------------------------------------

struct OsCase {
  const char* what;
  std::optional<OsVersion> version;
  std::string reason;  // empty: passes
};

void PrintTo(const OsCase& c, std::ostream* os) { *os << c.what; }

class OsRules : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsRules, PassOrAppendTheRightReason) {
  const OsCase& c = GetParam();
  EnglishStrings strings;
  std::string message = "head|";
  const bool passed = checkOsVersion(c.version, message, strings);
  EXPECT_EQ(passed, c.reason.empty());
  EXPECT_EQ(message, "head|" + c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OsRules,
    ::testing::Values(
        OsCase{"Windows 95", win9x(4, 0), DRAVIK_EN_OS},
        OsCase{"Windows 95 OSR", win9x(4, 3), DRAVIK_EN_OS},
        OsCase{"Windows 98", win9x(4, 10), ""},
        OsCase{"Windows ME", win9x(4, 90), ""},
        OsCase{"9x major 5", win9x(5, 0), ""},
        OsCase{"9x major 3", win9x(3, 95), DRAVIK_EN_OS},
        OsCase{"NT 3.51", nt(3, 51, "Service Pack 5"), DRAVIK_EN_OS},
        OsCase{"NT 4.0 SP4", nt(4, 0, "Service Pack 4"), formatted(5)},
        OsCase{"NT 4.0 SP5", nt(4, 0, "Service Pack 5"), ""},
        OsCase{"NT 4.0 SP6a", nt(4, 0, "Service Pack 6a"), ""},
        OsCase{"NT 4.0 none", nt(4, 0), formatted(5)},
        OsCase{"NT 4.1", nt(4, 1), ""},
        OsCase{"2000 none", nt(5, 0), formatted(2)},
        OsCase{"2000 SP1", nt(5, 0, "Service Pack 1"), formatted(2)},
        OsCase{"2000 SP2", nt(5, 0, "Service Pack 2"), ""},
        OsCase{"2000 SP4", nt(5, 0, "Service Pack 4"), ""},
        OsCase{"2000 pack text that does not match", nt(5, 0, "Update Rollup 2"), formatted(2)},
        OsCase{"2000 pack text in lower case", nt(5, 0, "service pack 3"), formatted(2)},
        OsCase{"XP", nt(5, 1), ""},
        OsCase{"XP x64", nt(5, 2, "Service Pack 2"), ""},
        OsCase{"Vista", nt(6, 0), ""},
        OsCase{"7 SP1", nt(6, 1, "Service Pack 1"), ""},
        OsCase{"10", nt(10, 0), ""},
        OsCase{"Win32s", OsVersion{0, 3, 10, ""}, DRAVIK_EN_OS},
        OsCase{"CE", OsVersion{3, 5, 0, ""}, DRAVIK_EN_OS},
        OsCase{"version query failed", std::nullopt, DRAVIK_EN_OS}),
    [](const ::testing::TestParamInfo<OsCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(ServicePack, ReadLikeTheScanPattern) {
  EXPECT_EQ(servicePackNumber("Service Pack 6a"), 6);
  EXPECT_EQ(servicePackNumber("Service Pack 2"), 2);
  EXPECT_EQ(servicePackNumber("Service  Pack\t3"), 3);   // a blank matches any white space
  EXPECT_EQ(servicePackNumber("ServicePack 4"), 4);      // ... or none
  EXPECT_EQ(servicePackNumber("Service Pack +5"), 5);
  EXPECT_EQ(servicePackNumber(""), 0);
  EXPECT_EQ(servicePackNumber(" A "), 0);                // what Windows 98 SE reports
  EXPECT_EQ(servicePackNumber(" Service Pack 3"), 0);    // no leading blank in the pattern
  EXPECT_EQ(servicePackNumber("Service Pack"), 0);
  EXPECT_EQ(servicePackNumber("Service Pack x"), 0);
  EXPECT_EQ(servicePackNumber("Service Pack +-5"), 0);
  EXPECT_EQ(servicePackNumber("Service Pack 99999999999999"), 0);  // out of range: no number
}

TEST(ServicePack, FormatFillsOnlyTheNumber) {
  EXPECT_EQ(formatNumber("pack  %d  from", 5), "pack  5  from");
  EXPECT_EQ(formatNumber("100%% %d", 2), "100% 2");
  // A damaged translation cannot read arguments that are not there.
  EXPECT_EQ(formatNumber("%s %n %d %", 2), "%s %n 2 %");
  EXPECT_EQ(formatNumber("", 2), "");
}

// ---- memory, processor, administrator -----------------------------------------

TEST(Memory, ThirtyOneMebibytesAfterClearingTheLowBits) {
  EXPECT_TRUE(checkMemory(32505856));
  EXPECT_FALSE(checkMemory(32505855));
  EXPECT_TRUE(checkMemory(32505856 + 0xFFFFF));
  EXPECT_FALSE(checkMemory(0));
  EXPECT_TRUE(checkMemory(std::uint64_t{16} << 30));
}

TEST(Processor, OnlyIa64FailsInAnyCase) {
  EXPECT_FALSE(checkProcessor(std::string("ia64")));
  EXPECT_FALSE(checkProcessor(std::string("IA64")));
  EXPECT_FALSE(checkProcessor(std::string("iA64")));
  EXPECT_TRUE(checkProcessor(std::string("ia64 Family 31 Model 0 Stepping 7")));
  EXPECT_TRUE(checkProcessor(std::string("ia6")));
  EXPECT_TRUE(checkProcessor(std::string("x86 Family 6 Model 8 Stepping 3")));
  EXPECT_TRUE(checkProcessor(std::string("AMD64 Family 26 Model 2 Stepping 1")));
  EXPECT_TRUE(checkProcessor(std::string("")));
  EXPECT_TRUE(checkProcessor(std::nullopt));  // key or value missing
}

TEST(Administrator, OnlyNt4AndLaterAskTheToken) {
  int asked = 0;
  auto answer = [&](bool value) {
    return [&asked, value] {
      ++asked;
      return value;
    };
  };
  EXPECT_FALSE(administratorCheck(std::nullopt, answer(true)));
  EXPECT_TRUE(administratorCheck(win9x(4, 10), answer(false)));
  EXPECT_TRUE(administratorCheck(nt(3, 51), answer(false)));
  EXPECT_TRUE(administratorCheck(OsVersion{0, 3, 10, ""}, answer(false)));
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(administratorCheck(nt(4, 0), answer(true)));
  EXPECT_FALSE(administratorCheck(nt(4, 0), answer(false)));
  EXPECT_FALSE(administratorCheck(nt(10, 0), answer(false)));
  EXPECT_EQ(asked, 3);
}

// ---- command line and setup path ------------------------------------------------

TEST(Silent, PlainSubstringInExactCase) {
  EXPECT_TRUE(isSilent("\"C:\\x\\Dravik.exe\" -s"));
  EXPECT_TRUE(isSilent("Dravik.exe /s"));
  EXPECT_TRUE(isSilent("Dravik.exe /silent"));
  EXPECT_TRUE(isSilent("\"C:\\my-setups\\Dravik.exe\""));  // inside a directory name
  EXPECT_TRUE(isSilent("Dravik.exe a/sb"));
  EXPECT_FALSE(isSilent("Dravik.exe -S /S"));
  EXPECT_FALSE(isSilent("\"C:\\x\\Dravik.exe\" \\s s- -x"));
  EXPECT_FALSE(isSilent(""));
}

TEST(SetupPath, BesideTheProgram) {
  EXPECT_EQ(setupPathFor("C:\\Program Files\\Kit\\Dravik.exe"), "C:\\Program Files\\Kit\\setup.exe");
  EXPECT_EQ(setupPathFor("C:\\Dravik.exe"), "C:\\setup.exe");
  EXPECT_EQ(setupPathFor("\\\\server\\share\\d\\Dravik.exe"), "\\\\server\\share\\d\\setup.exe");
  EXPECT_EQ(setupPathFor("C:\\a.b\\x"), "C:\\a.b\\setup.exe");
  EXPECT_EQ(setupPathFor("Dravik.exe"), std::nullopt);
  EXPECT_EQ(setupPathFor("C:/unix/style/Dravik.exe"), std::nullopt);
  EXPECT_EQ(setupPathFor(""), std::nullopt);
}

TEST(SetupPath, NeverLongerThanItsBuffer) {
  const std::string kSetup = "\\setup.exe";
  // The longest directory that still fits, terminator included.
  const std::string longest(kPathCapacity - 1 - kSetup.size(), 'd');
  EXPECT_EQ(setupPathFor(longest + "\\D.exe"), longest + kSetup);
  EXPECT_EQ(setupPathFor(longest + "d\\D.exe"), std::nullopt);
  EXPECT_EQ(setupPathFor(std::string(5000, 'x') + "\\D.exe"), std::nullopt);
}

// ---- the whole flow ---------------------------------------------------------

class FakeSystem : public System {
 public:
  std::string load(unsigned id, std::size_t capacity) const override { return english.load(id, capacity); }
  std::optional<OsVersion> versionForAdminCheck() override { return adminVersion; }
  bool isAdministrator() override { return administrator; }
  std::optional<std::string> processorIdentifier() override { return processor; }
  std::optional<OsVersion> osVersion() override { return os; }
  std::uint64_t totalPhysicalMemory() override { return memory; }
  bool askToContinue(const std::string& caption, const std::string& text) override {
    boxes.push_back({"question", caption, text});
    return answerYes;
  }
  void showError(const std::string& caption, const std::string& text) override {
    boxes.push_back({"error", caption, text});
  }
  std::optional<std::string> ownPath() override { return path; }
  bool startAndWait(const std::string& application, const std::string& commandLine) override {
    starts.push_back({application, commandLine});
    return setupStarts;
  }

  struct Box {
    std::string kind, caption, text;
  };
  EnglishStrings english;
  std::optional<OsVersion> adminVersion = nt(6, 1, "Service Pack 1");
  bool administrator = true;
  std::optional<std::string> processor = "x86 Family 6 Model 15 Stepping 11";
  std::optional<OsVersion> os = nt(6, 1, "Service Pack 1");
  std::uint64_t memory = std::uint64_t{512} << 20;
  bool answerYes = false;
  std::optional<std::string> path = "C:\\Kit\\Dravik.exe";
  bool setupStarts = true;
  std::vector<Box> boxes;
  std::vector<std::pair<std::string, std::string>> starts;
};

const std::string kLine = "\"C:\\Kit\\Dravik.exe\" /v\"ADDLOCAL=ALL\" extra";
const std::string kWarnHead = DRAVIK_EN_WARN_HEADER;
const std::string kErrorHead = DRAVIK_EN_ERROR_HEADER;

TEST(Flow, AllChecksPassStartsSetupAtOnce) {
  FakeSystem sys;
  EXPECT_EQ(runWrapper(kLine, sys), kExitDone);
  EXPECT_TRUE(sys.boxes.empty());
  ASSERT_EQ(sys.starts.size(), 1u);
  EXPECT_EQ(sys.starts[0].first, "C:\\Kit\\setup.exe");
  EXPECT_EQ(sys.starts[0].second, kLine);  // the whole command line, unchanged
}

TEST(Flow, SetupThatCannotStartGivesOne) {
  FakeSystem sys;
  sys.setupStarts = false;
  EXPECT_EQ(runWrapper(kLine, sys), kExitNoSetup);
}

TEST(Flow, NoOwnPathEndsWithZeroAndNoSetup) {
  FakeSystem sys;
  sys.path = std::nullopt;
  EXPECT_EQ(runWrapper(kLine, sys), kExitDone);
  EXPECT_TRUE(sys.starts.empty());
}

TEST(Flow, SetupPathTooLongGivesOne) {
  FakeSystem sys;
  sys.path = "C:\\" + std::string(kPathCapacity, 'd') + "\\Dravik.exe";
  EXPECT_EQ(runWrapper(kLine, sys), kExitNoSetup);
  EXPECT_TRUE(sys.starts.empty());
}

TEST(Flow, WarningAskedWithNoAsDefaultAnswer) {
  FakeSystem sys;
  sys.os = win9x(4, 0);
  EXPECT_EQ(runWrapper(kLine, sys), kExitRefused);
  ASSERT_EQ(sys.boxes.size(), 1u);
  EXPECT_EQ(sys.boxes[0].kind, "question");
  EXPECT_EQ(sys.boxes[0].caption, DRAVIK_EN_CAPTION);
  EXPECT_EQ(sys.boxes[0].text, kWarnHead + DRAVIK_EN_OS + DRAVIK_EN_WARN_TRAILER);
  EXPECT_TRUE(sys.starts.empty());

  FakeSystem yes;
  yes.os = win9x(4, 0);
  yes.answerYes = true;
  EXPECT_EQ(runWrapper(kLine, yes), kExitDone);
  EXPECT_EQ(yes.starts.size(), 1u);
}

TEST(Flow, WarningReasonsInOrder) {
  FakeSystem sys;
  sys.os = nt(4, 0, "Service Pack 4");
  sys.memory = 32505855;
  sys.answerYes = true;
  EXPECT_EQ(runWrapper(kLine, sys), kExitDone);
  ASSERT_EQ(sys.boxes.size(), 1u);
  EXPECT_EQ(sys.boxes[0].text, kWarnHead + formatted(5) + DRAVIK_EN_MEMORY + DRAVIK_EN_WARN_TRAILER);
  EXPECT_NE(sys.boxes[0].text.find("service pack  5  from"), std::string::npos);

  FakeSystem memoryOnly;
  memoryOnly.memory = 16 << 20;
  runWrapper(kLine, memoryOnly);
  ASSERT_EQ(memoryOnly.boxes.size(), 1u);
  EXPECT_EQ(memoryOnly.boxes[0].text, kWarnHead + DRAVIK_EN_MEMORY + DRAVIK_EN_WARN_TRAILER);
}

TEST(Flow, SilentIgnoresMissedRecommendations) {
  FakeSystem sys;
  sys.os = nt(5, 0);
  sys.memory = 0;
  EXPECT_EQ(runWrapper("C:\\Kit\\Dravik.exe -s", sys), kExitDone);
  EXPECT_TRUE(sys.boxes.empty());
  ASSERT_EQ(sys.starts.size(), 1u);
  EXPECT_EQ(sys.starts[0].second, "C:\\Kit\\Dravik.exe -s");
}

TEST(Flow, HardFailuresListTheirReasons) {
  struct Case {
    bool admin, processor;
    std::string reasons;
  };
  for (const Case& c : {Case{false, true, DRAVIK_EN_NOT_ADMIN}, Case{true, false, DRAVIK_EN_PROCESSOR},
                        Case{false, false, std::string(DRAVIK_EN_NOT_ADMIN) + DRAVIK_EN_PROCESSOR}}) {
    FakeSystem sys;
    sys.adminVersion = nt(5, 1);
    sys.administrator = c.admin;
    if (!c.processor) sys.processor = "IA64";
    sys.os = win9x(4, 0);  // recommendations are not looked at
    EXPECT_EQ(runWrapper(kLine, sys), kExitRefused);
    ASSERT_EQ(sys.boxes.size(), 1u);
    EXPECT_EQ(sys.boxes[0].kind, "error");
    EXPECT_EQ(sys.boxes[0].caption, DRAVIK_EN_CAPTION);
    EXPECT_EQ(sys.boxes[0].text, kErrorHead + c.reasons + DRAVIK_EN_ERROR_TRAILER);
    EXPECT_TRUE(sys.starts.empty());
  }
}

TEST(Flow, FailedVersionQueryIsAHardFailure) {
  FakeSystem sys;
  sys.adminVersion = std::nullopt;
  EXPECT_EQ(runWrapper(kLine, sys), kExitRefused);
  ASSERT_EQ(sys.boxes.size(), 1u);
  EXPECT_EQ(sys.boxes[0].text, kErrorHead + DRAVIK_EN_NOT_ADMIN + DRAVIK_EN_ERROR_TRAILER);
}

TEST(Flow, SilentHardFailureSaysNothing) {
  FakeSystem sys;
  sys.processor = "ia64";
  EXPECT_EQ(runWrapper("\"C:\\dist-setups\\Dravik.exe\"", sys), kExitRefused);  // "-s" in the path
  EXPECT_TRUE(sys.boxes.empty());
  EXPECT_TRUE(sys.starts.empty());
}

TEST(Flow, StringsLoadedIntoTheirBuffers) {
  FakeSystem sys;
  sys.adminVersion = nt(5, 0);
  sys.os = nt(5, 0);
  sys.answerYes = true;
  runWrapper(kLine, sys);
  for (const auto& [id, capacity] : sys.english.loads) {
    EXPECT_EQ(capacity, id == IDS_DRAVIK_SERVICE_PACK ? kFormatCapacity : kStringCapacity) << id;
  }
}

}  // namespace
}  // namespace dravik
