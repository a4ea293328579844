// Runtime discovery, orlin.cfg, the response file and the reboot test.
#include "fake_os.h"

namespace orlin::test {
namespace {

TEST(LookupJreKey, FullVersionAndUsability) {
  FakeOs os;
  os.addRuntime("1.3", "C:\\jre13", text("1"));
  os.addRuntime("1.3.1", "C:\\jre131", text("7"));  // two dots: MicroVersion not read
  os.addRuntime("1.4", "C:\\jre14", text(""));
  os.addRuntime("1.5", "C:\\jre15", RegText{State::WrongType, ""});
  os.addRuntime("1.6", "C:\\jre16", RegText{State::TooLong, ""});
  os.addRuntime("1.7", "C:\\jre17\\");
  std::string full = "old", home;
  EXPECT_EQ(lookupJreKey(os, "1.3", full, home), 0);
  EXPECT_EQ(full, "1.3.1");
  EXPECT_EQ(home, "C:\\jre13");
  EXPECT_EQ(lookupJreKey(os, "1.3.1", full, home), 0);
  EXPECT_EQ(full, "1.3.1");
  EXPECT_EQ(home, "C:\\jre131");
  EXPECT_EQ(os.microReads, std::vector<std::string>{"1.3"});
  for (const char* name : {"1.4", "1.5", "1.6"}) {
    EXPECT_EQ(lookupJreKey(os, name, full, home), 0);
    EXPECT_EQ(full, name);
  }
  EXPECT_EQ(lookupJreKey(os, "1.7", full, home), 0);
  EXPECT_EQ(home, "C:\\jre17\\");  // as stored, javaw.exe found without a doubled backslash
  EXPECT_EQ(lookupJreKey(os, "9.9", full, home), 2);
}

TEST(LookupJreKey, UnusableHomes) {
  FakeOs os;
  os.runtimes.push_back({"1.3", {}, {}});                              // no JavaHome
  os.runtimes.push_back({"1.4", text(""), {}});                        // empty
  os.runtimes.push_back({"1.5", RegText{State::TooLong, ""}, {}});     // longer than 260 bytes
  os.runtimes.push_back({"1.6", RegText{State::WrongType, ""}, {}});   // not a string
  os.runtimes.push_back({"1.7", text("C:\\nojavaw"), {}});             // bin\javaw.exe missing or a directory
  std::string full, home;
  for (const char* name : {"1.3", "1.4", "1.5", "1.6", "1.7"}) EXPECT_EQ(lookupJreKey(os, name, full, home), 10) << name;
}

TEST(FindJre, ExactAndParentKey) {
  FakeOs os;
  os.addRuntime("1.3", "C:\\jre13", text("1"));
  os.addRuntime("1.2", "C:\\jre12");
  os.addRuntime("1.1.8", "C:\\jre118");
  EXPECT_EQ(findJre(os, "1.3.1", true), "C:\\jre13");   // subkey 1.3 with MicroVersion 1
  EXPECT_EQ(findJre(os, "1.3.1", false), "C:\\jre13");
  EXPECT_FALSE(findJre(os, "1.3", true));               // its full version is 1.3.1
  EXPECT_EQ(findJre(os, "1.3", false), "C:\\jre13");
  EXPECT_EQ(findJre(os, "1.2", true), "C:\\jre12");
  EXPECT_FALSE(findJre(os, "1.3.2", false));            // the parent step always compares
  EXPECT_EQ(findJre(os, "1.1.8", true), "C:\\jre118");
  EXPECT_FALSE(findJre(os, "", false));
  os.runtimeKey = false;
  EXPECT_FALSE(findJre(os, "1.2", false));
}

class LauncherConfig : public ::testing::Test {
 protected:
  std::string write(const std::string& wanted = "1.3.1", const std::string& fallback = "C:\\fallback") {
    writeLauncherConfig(os, dir.file("orlin.cfg"), wanted, fallback);
    return readAll(dir.file("orlin.cfg"));
  }
  FakeOs os;
  TempDir dir;
};

TEST_F(LauncherConfig, NoRuntimeKeyGivesTheFallbackEntry) {
  os.runtimeKey = false;
  EXPECT_EQ(write(),
            "orlin.cfg.jre.0.platform=1.3.1\n"
            "orlin.cfg.jre.0.product=1.3.1\n"
            "orlin.cfg.jre.0.path=C:\\\\fallback\\\\bin\\\\javaw.exe\n"
            "orlin.cfg.jre.default=0\n");
}

TEST_F(LauncherConfig, OnlySupportedUsableRuntimes) {
  os.addRuntime("1.1.8", "C:\\jre118");
  os.addRuntime("1.3", "C:\\Program Files\\JavaSoft\\JRE\\1.3", text("1"));
  os.runtimes.push_back({"1.4", text("C:\\broken"), {}});  // no javaw.exe
  EXPECT_EQ(write(),
            "orlin.cfg.jre.0.platform=1.3.1\n"
            "orlin.cfg.jre.0.product=1.3.1\n"
            "orlin.cfg.jre.0.path=C:\\\\Program Files\\\\JavaSoft\\\\JRE\\\\1.3\\\\bin\\\\javaw.exe\n"
            "orlin.cfg.jre.default=0\n");
}

TEST_F(LauncherConfig, NoUsableRuntimeFallsBack) {
  os.addRuntime("1.1.8", "C:\\jre118");
  EXPECT_EQ(write("1.4", ""),
            "orlin.cfg.jre.0.platform=1.4\n"
            "orlin.cfg.jre.0.product=1.4\n"
            "orlin.cfg.jre.0.path=bin\\\\javaw.exe\n"
            "orlin.cfg.jre.default=0\n");
}

TEST_F(LauncherConfig, DefaultNamesTheSubkeyOfTheWantedVersion) {
  os.addRuntime("1.2.2", "C:\\jre122");
  os.addRuntime("1.3.1", "C:\\jre131\\");
  os.addRuntime("1.4", "D:\\");
  std::string cfg = write("1.3.1");
  EXPECT_NE(cfg.find("orlin.cfg.jre.1.path=C:\\\\jre131\\\\bin\\\\javaw.exe\n"), std::string::npos) << cfg;
  EXPECT_NE(cfg.find("orlin.cfg.jre.2.path=D:\\\\bin\\\\javaw.exe\n"), std::string::npos) << cfg;
  EXPECT_TRUE(cfg.ends_with("orlin.cfg.jre.2.product=1.4\n"
                            "orlin.cfg.jre.2.path=D:\\\\bin\\\\javaw.exe\n"
                            "orlin.cfg.jre.default=1\n"))
      << cfg;
  EXPECT_TRUE(write("1.5").ends_with("orlin.cfg.jre.default=0\n"));
}

TEST_F(LauncherConfig, UncreatableFileLeavesNothing) {
  writeLauncherConfig(os, dir.file("missing/orlin.cfg"), "1.3", "C:\\jre");
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

class ResponseFile : public ::testing::Test {
 protected:
  std::string make(const std::string& content, const std::string& replacement = "\"C:\\jre\"") {
    writeAll(dir.file("jre.iss"), content);
    EXPECT_EQ(makeResponseFile(dir.file("jre.iss"), replacement), 0);
    return readAll(dir.file("jre.iss2"));
  }
  TempDir dir;
};

TEST_F(ResponseFile, ReplacesTheFirstMarkerOfALine) {
  EXPECT_EQ(make("[Dlg]\nszDir=<JREPATH>\nend\n"), "[Dlg]\nszDir=\"C:\\jre\"\nend\n");
  EXPECT_EQ(make("a=<JREPATH> b=<JREPATH>\n<JREPATH>"), "a=\"C:\\jre\" b=<JREPATH>\n\"C:\\jre\"");
  EXPECT_EQ(make("no marker\n"), "no marker\n");
  EXPECT_EQ(make(""), "");
}

TEST_F(ResponseFile, CopiesEveryOtherByteUnchanged) {
  // NUL and 0x1A bytes, LF-only and CR LF line ends, a lone CR, no final line end
  using namespace std::string_literals;
  const std::string in = "a\0b=<JREPATH>\0c\n\x1a<JREPATH>\r\nd\re\r\n\x1a\xff"s;
  EXPECT_EQ(make(in, "R"), "a\0b=R\0c\n\x1aR\r\nd\re\r\n\x1a\xff"s);
}

TEST_F(ResponseFile, LongLinesGoInPiecesOf259) {
  // The first piece is 259 characters; the marker at its end is cut in two and stays.
  std::string line = std::string(255, 'x') + "<JREPATH>" + std::string(300, 'y') + "<JREPATH>\n";
  std::string out = make(line, "R");
  EXPECT_EQ(out, std::string(255, 'x') + "<JREPATH>" + std::string(300, 'y') + "R\n");
  // A replacement longer than the buffers is written whole.
  std::string longReplacement(1000, 'r');
  EXPECT_EQ(make("p=<JREPATH>;\n", longReplacement), "p=" + longReplacement + ";\n");
}

TEST_F(ResponseFile, Failures) {
  EXPECT_EQ(makeResponseFile(dir.file("missing.iss"), "x"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing.iss2")));
  // The output name must fit 260 characters.
  std::string base = dir.file("");
  std::string longName = base + std::string(258 - base.size(), 'n');
  writeAll(longName, "<JREPATH>\n");
  EXPECT_EQ(makeResponseFile(longName, "x"), 1);
  EXPECT_FALSE(std::filesystem::exists(longName + "2"));
  std::string fits = base + std::string(257 - base.size(), 'f');
  writeAll(fits, "<JREPATH>\n");
  EXPECT_EQ(makeResponseFile(fits, "x"), 0);
  EXPECT_EQ(readAll(fits + "2"), "x\n");
  // An output that cannot be created.
  writeAll(dir.file("t.iss"), "<JREPATH>\n");
  std::filesystem::create_directory(dir.file("t.iss2"));
  EXPECT_EQ(makeResponseFile(dir.file("t.iss"), "x"), 1);
}

TEST(RebootPending, WinInitFileThenRenameValue) {
  FakeOs os;
  EXPECT_FALSE(isRebootPending(os));
  os.pendingRenames = true;
  EXPECT_TRUE(isRebootPending(os));
  os.pendingRenames = false;
  os.lockedOpenable.insert("C:\\windows\\WinInit.Ini");
  EXPECT_TRUE(isRebootPending(os));
  os.windowsDir.clear();
  EXPECT_FALSE(isRebootPending(os));
}

}  // namespace
}  // namespace orlin::test
