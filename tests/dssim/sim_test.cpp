// The simulated allocation service against real files in a temporary current
// directory: generated names, the status and disposition matrix, deletion,
// and names that must not reach outside the current directory.
#include "dssim_fixture.h"
#include "kivplatform.h"

#include <gmock/gmock.h>

using namespace kiv;
using kivtest::makePip;
using kivtest::kOld, kivtest::kMod, kivtest::kNew, kivtest::kShr;
using kivtest::kUncatlg, kivtest::kCatlg, kivtest::kDelete, kivtest::kKeep;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

class Sim : public kivtest::DssimTest {
 protected:
  int alloc(PIP* p) {
    EXPECT_EQ(dyninitL(p), 0);
    return dynallocL(p);
  }
};

TEST_F(Sim, GeneratedNamesCountPerProcess) {
  std::vector<PIPPtr> pips;
  std::vector<std::string> names;
  for (int i = 0; i < 11; ++i) {
    pips.push_back(makePip("????????", nullptr, 0));
    ASSERT_EQ(alloc(pips.back().get()), 0);
    names.push_back(*pips.back()->ddName);
  }
  EXPECT_EQ(names[0], "SYS00000");
  EXPECT_EQ(names[1], "SYS00001");
  EXPECT_EQ(names[10], "SYS0000A");
  EXPECT_EQ(findname("DD:SYS00005"), pips[5].get());
  for (auto& p : pips) EXPECT_EQ(dynfreeL(p.get()), 0);
}

TEST_F(Sim, GeneratedNamesRunOutAfterFiveHexDigits) {
  countDDs = 0xFFFFF;
  auto last = makePip("????????", nullptr, 0);
  ASSERT_EQ(alloc(last.get()), 0);
  EXPECT_EQ(last->ddName, "SYSFFFFF");
  auto over = makePip("????????", nullptr, 0);
  EXPECT_EQ(alloc(over.get()), 4);
  EXPECT_EQ(over->errcode, 0x0410);
  dynfreeL(last.get());
}

TEST_F(Sim, ExistingDatasetMustBeThereUnlessCreateFilesIsYes) {
  for (int8_t status : {kShr, kOld, kMod}) {
    auto p = makePip("IN", "ZZ.DATA", status);
    EXPECT_EQ(alloc(p.get()), 4);
    EXPECT_EQ(p->errcode, 0x6708);
  }
  setenv("KIVCREATEFILES", "yes", 1);  // lower case counts as unset
  auto lower = makePip("IN", "ZZ.DATA", kShr);
  EXPECT_EQ(alloc(lower.get()), 4);
  EXPECT_THAT(files(), IsEmpty());

  setenv("KIVCREATEFILES", "YES", 1);
  auto p = makePip("IN", "ZZ.DATA", kShr, 0, nullptr, "M1");
  EXPECT_EQ(alloc(p.get()), 0);
  EXPECT_THAT(files(), ElementsAre("ZZ.DATA__"));
  EXPECT_EQ(kivtest::readFile("ZZ.DATA__"),
            "\nThis file represents a just created empty data set.\n"
            "It might be a HFS, PS or a PDS; any contents are ignored if HFS or PDS");
  dynfreeL(p.get());

  unsetenv("KIVCREATEFILES");
  auto again = makePip("IN", "ZZ.DATA", kOld);
  EXPECT_EQ(alloc(again.get()), 0);
  dynfreeL(again.get());
}

TEST_F(Sim, NewDataset) {
  auto p = makePip("OUT", "ZZ.NEW", kNew, kCatlg, "VOL001");
  EXPECT_EQ(alloc(p.get()), 0);
  EXPECT_THAT(files(), ElementsAre("ZZ.NEW__", "ZZ.NEW__VOL001"));
  dynfreeL(p.get());

  // Already there: refused, file untouched.
  kivtest::writeFile("ZZ.NEW__", "kept");
  auto q = makePip("OUT", "ZZ.NEW", kNew, kKeep);
  EXPECT_EQ(alloc(q.get()), 4);
  EXPECT_EQ(q->errcode, 0x4704);
  EXPECT_EQ(kivtest::readFile("ZZ.NEW__"), "kept");

  // Without CATLG no second file.
  auto r = makePip("OUT", "ZZ.OTHER", kNew, kKeep, "VOL002");
  EXPECT_EQ(alloc(r.get()), 0);
  EXPECT_THAT(files(), ElementsAre("ZZ.NEW__", "ZZ.NEW__VOL001", "ZZ.OTHER__VOL002"));
  dynfreeL(r.get());
}

TEST_F(Sim, CatlgKeepsAnExistingCopyWithoutVolume) {
  kivtest::writeFile("ZZ.CAT__", "the data");
  auto p = makePip("OUT", "ZZ.CAT", kNew, kCatlg, "VOL7");
  EXPECT_EQ(alloc(p.get()), 0);
  EXPECT_THAT(files(), ElementsAre("ZZ.CAT__", "ZZ.CAT__VOL7"));
  EXPECT_EQ(kivtest::readFile("ZZ.CAT__"), "the data");
  EXPECT_EQ(kivtest::readFile("ZZ.CAT__VOL7"),
            "\nThis file represents a just created empty data set.\n"
            "It might be a HFS, PS or a PDS; any contents are ignored if HFS or PDS");
  dynfreeL(p.get());
}

TEST_F(Sim, OtherStatusChecksNoFile) {
  auto p = makePip("X", "ZZ.NONE", 0);
  EXPECT_EQ(alloc(p.get()), 0);
  EXPECT_THAT(files(), IsEmpty());
  auto noName = makePip("Y", nullptr, kShr);  // names no file at all
  EXPECT_EQ(alloc(noName.get()), 0);
  dynfreeL(p.get());
  dynfreeL(noName.get());
}

TEST_F(Sim, PathAndSysoutFiles) {
  setenv("KIVCREATEFILES", "YES", 1);
  auto path = makePip("P", nullptr, kShr);
  path->pathString = "/u/zz/file";
  EXPECT_EQ(alloc(path.get()), 0);
  auto sysout = makePip("S", nullptr, kShr);
  sysout->sysoutName = "WRITER";
  EXPECT_EQ(alloc(sysout.get()), 0);
  EXPECT_THAT(files(), ElementsAre("$u$zz$file", "WRITER__"));
  setenv("KIVDELETEFILES", "YES", 1);
  path->normdisp = kDelete;
  dynfreeL(path.get());
  dynfreeL(sysout.get());
  EXPECT_THAT(files(), ElementsAre("WRITER__"));
}

// Which files each disposition deletes with KIVDELETEFILES=YES.
class Deletion : public Sim {
 protected:
  void SetUp() override {
    Sim::SetUp();
    for (const char* f : {"ZZ.NEW__", "ZZ.NEW_M1_", "ZZ.NEW_M2_", "ZZ.NEW__VOL001", "ZZ.NEW_M1_VOL001",
                          "ZZ.NEW_M1_VOL002", "ZZ.NEWER__", "zz.new_m3_", "ZZ.OLD__"})
      touch(f);
    std::filesystem::create_directory("ZZ.NEW_DIR_");
  }
  std::vector<std::string> freeWith(int8_t disp, const char* volser, const char* deleteFiles = "YES") {
    if (deleteFiles) setenv("KIVDELETEFILES", deleteFiles, 1);
    auto p = makePip("D", "ZZ.NEW", kOld, disp, volser, "KEEPME");
    EXPECT_EQ(alloc(p.get()), 0);
    EXPECT_EQ(dynfreeL(p.get()), 0);
    EXPECT_EQ(p->member, "KEEPME");  // restored
    return files();
  }
};

// On POSIX file names are case-sensitive: zz.new_m3_ is a file of another
// data set (allocation tells ZZ.NEW from zz.new there), so no deletion of
// ZZ.NEW touches it.
TEST_F(Deletion, UncatlgDeletesTheMembersWithoutVolume) {
  EXPECT_THAT(freeWith(kUncatlg, "VOL001"),
              UnorderedElementsAre("ZZ.NEW_DIR_", "ZZ.NEW__VOL001", "ZZ.NEW_M1_VOL001", "ZZ.NEW_M1_VOL002", "ZZ.NEWER__",
                          "ZZ.OLD__", "zz.new_m3_"));
}

TEST_F(Deletion, DeleteWithVolumeDeletesThatVolumesCopies) {
  EXPECT_THAT(freeWith(kDelete, "VOL001"),
              UnorderedElementsAre("ZZ.NEW_DIR_", "ZZ.NEW__", "ZZ.NEW_M1_", "ZZ.NEW_M1_VOL002", "ZZ.NEW_M2_", "ZZ.NEWER__",
                          "ZZ.OLD__", "zz.new_m3_"));
}

TEST_F(Deletion, DeleteWithoutVolumeDeletesEveryCopy) {
  EXPECT_THAT(freeWith(kDelete, nullptr),
              UnorderedElementsAre("ZZ.NEW_DIR_", "ZZ.NEWER__", "ZZ.OLD__", "zz.new_m3_"));
}

TEST_F(Deletion, AllocationAndDeletionAgreeOnLetterCase) {
  auto lower = makePip("D", "zz.new", kShr);
  EXPECT_EQ(alloc(lower.get()), 4) << "ZZ.NEW__ is not zz.new's file";
  EXPECT_EQ(lower->errcode, 0x6708);
  touch("zz.new__");
  setenv("KIVDELETEFILES", "YES", 1);
  ASSERT_EQ(alloc(lower.get()), 0);
  lower->normdisp = kUncatlg;
  dynfreeL(lower.get());
  auto left = files();
  EXPECT_EQ(std::count(left.begin(), left.end(), "zz.new__"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "zz.new_m3_"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "ZZ.NEW__"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), "ZZ.NEW_M1_"), 1);
}

TEST_F(Deletion, KeepCatlgAndUnsetDeleteNothing) {
  const auto all = files();
  EXPECT_EQ(freeWith(kKeep, nullptr), all);
  EXPECT_EQ(freeWith(kCatlg, nullptr), all);
  EXPECT_EQ(freeWith(kDelete, nullptr, "yes"), all);
  unsetenv("KIVDELETEFILES");
  EXPECT_EQ(freeWith(kDelete, nullptr, nullptr), all);
}

TEST_F(Sim, FreeingAnUnknownRecordDoesNothing) {
  setenv("KIVDELETEFILES", "YES", 1);
  touch("ZZ.X__");
  auto p = makePip("D", "ZZ.X", kOld, kDelete);
  EXPECT_EQ(dynfreeL(p.get()), 0);
  EXPECT_THAT(files(), ElementsAre("ZZ.X__"));
}

TEST_F(Sim, ShellMetacharactersRunNothing) {
  setenv("KIVCREATEFILES", "YES", 1);
  setenv("KIVDELETEFILES", "YES", 1);
  const std::string ds = "A&touch PWNED&echo $(touch PWNED2);`touch PWNED3`";
  auto p = makePip("D", ds.c_str(), kNew, kDelete);
  EXPECT_EQ(alloc(p.get()), 0);
  EXPECT_THAT(files(), ElementsAre(ds + "__"));
  dynfreeL(p.get());
  EXPECT_THAT(files(), IsEmpty());
}

TEST_F(Sim, NamesThatLeaveTheCurrentDirectoryAreRefused) {
  setenv("KIVCREATEFILES", "YES", 1);
  std::filesystem::create_directory("sub");
  auto refused = [&](PIPPtr p) {
    EXPECT_EQ(alloc(p.get()), 4);
    EXPECT_EQ(p->errcode, 0x0360);
  };
  refused(makePip("D", "../ESCAPE", kShr));
  refused(makePip("D", "sub/X", kShr));
  refused(makePip("D", "sub\\X", kShr));
  refused(makePip("D", "C:X", kNew));
  refused(makePip("D", "X", kShr, 0, "../V"));
  refused(makePip("D", "X*", kShr));
  refused(makePip("D", std::string(258, 'L').c_str(), kShr));  // 260 with "__"
  auto path = makePip("D", nullptr, kShr);
  path->pathString = "..";
  refused(std::move(path));
  auto back = makePip("D", nullptr, kShr);
  back->pathString = "\\windows\\x";
  refused(std::move(back));
  EXPECT_THAT(files(), ElementsAre("sub"));
  EXPECT_THAT(kivtest::listDir(dir_ + "/sub"), IsEmpty());

  // The longest name that fits is fine.
  auto longest = makePip("D", std::string(257, 'L').c_str(), kShr);
  EXPECT_EQ(alloc(longest.get()), 0);
  dynfreeL(longest.get());
}

TEST_F(Sim, DeletionOfABadNameDeletesNothing) {
  setenv("KIVDELETEFILES", "YES", 1);
  touch("X__");
  auto p = makePip("D", "X", 0, kDelete, "../*");
  EXPECT_EQ(alloc(p.get()), 0);
  dynfreeL(p.get());
  EXPECT_THAT(files(), ElementsAre("X__"));
}

TEST(FileNames, MakeFileName) {
  std::string out;
  auto p = makePip("D", "ZZ.LOAD", 0, 0, "VOL001", "MOD1");
  EXPECT_EQ(makeFileName(out, *p, 1), 0);
  EXPECT_EQ(out, "ZZ.LOAD_MOD1_VOL001");
  makeFileName(out, *p, 0);
  EXPECT_EQ(out, "ZZ.LOAD__VOL001");
  p->volser.reset();
  makeFileName(out, *p, 0);
  EXPECT_EQ(out, "ZZ.LOAD__");
  PIP none;
  EXPECT_EQ(makeFileName(out, none, 1), 0);
  EXPECT_EQ(out, "");
}

TEST(FileNames, CheckFileName) {
  std::string out;
  EXPECT_EQ(checkFileName(out, "//'ZZ.SRC(MEMBER1)'"), 0);
  EXPECT_EQ(out, "ZZ.SRC_MEMBER1_");
  checkFileName(out, "//'ZZ.DATA'");
  EXPECT_EQ(out, "ZZ.DATA__");
  checkFileName(out, "/u/zz/a.txt");
  EXPECT_EQ(out, "$u$zz$a.txt");
  EXPECT_EQ(checkFileName(out, "//'"), 0x0360);
  EXPECT_EQ(checkFileName(out, "//'A(B"), 0x0360);
  EXPECT_EQ(checkFileName(out, "//'A\\..\\B'"), 0x0360);
  EXPECT_EQ(checkFileName(out, ".."), 0x0360);
  EXPECT_EQ(checkFileName(out, ""), 0x0360);
  EXPECT_EQ(checkFileName(out, std::string(260, 'x').c_str()), 0x0360);
  EXPECT_EQ(checkFileName(out, std::string(259, 'x').c_str()), 0);
}

TEST(FileNames, Wildcards) {
  for (bool ignoreCase : {false, true}) {
    EXPECT_TRUE(wildcardMatch("ZZ.NEW_*_", "ZZ.NEW__", ignoreCase));
    EXPECT_TRUE(wildcardMatch("ZZ.NEW_*_*", "ZZ.NEW_A_B_C", ignoreCase));
    EXPECT_FALSE(wildcardMatch("ZZ.NEW_*_", "ZZ.NEW_A_B", ignoreCase));
    EXPECT_FALSE(wildcardMatch("ZZ.NEW_*_", "ZZ.NEWER__", ignoreCase));
    EXPECT_FALSE(wildcardMatch("A?", "AB", ignoreCase));  // only '*' is a wildcard
  }
  EXPECT_TRUE(wildcardMatch("ZZ.NEW_*_", "zz.new_m_", true)) << "as the Windows command shell matches";
  EXPECT_FALSE(wildcardMatch("ZZ.NEW_*_", "zz.new_m_", false)) << "as POSIX file names are told apart";
}

// Windows opens a device for these names, or drops their last character;
// the rules are plain functions, checked here on every platform.
TEST(FileNames, WindowsDevicesAndNamesItAlters) {
  using kiv::platform::isWindowsDeviceName;
  using kiv::platform::windowsAltersFileName;
  for (const char* device : {"NUL", "NUL.DATA__", "nul.data__", "PRN.LIST__", "CON.X__", "Con", "AUX.TEST__",
                             "COM1.X__", "com9", "COM0", "LPT1", "lpt1.a.b", "CONIN$", "conin$.txt", "CONOUT$",
                             "NUL .X", "AUX  ", "COM\xb9", "LPT\xc2\xb2.x"}) {
    EXPECT_TRUE(isWindowsDeviceName(device)) << device;
    EXPECT_TRUE(windowsAltersFileName(device)) << device;
  }
  for (const char* file : {"NULL.X", "NU.X", "ANUL", "ZZ.NUL", "NUL__", "LPT1__", "COM10", "COMA", "COM", "LPT",
                           "CONIN$X", "CONIN", "$u$x", ".profile", "A.B_C_"}) {
    EXPECT_FALSE(isWindowsDeviceName(file)) << file;
    EXPECT_FALSE(windowsAltersFileName(file)) << file;
  }
  for (const char* dropped : {"$u$x.", "ZZ.A__VOL.", "ZZ.A__VOL ", "x..", " "}) {
    EXPECT_FALSE(isWindowsDeviceName(dropped)) << dropped;
    EXPECT_TRUE(windowsAltersFileName(dropped)) << dropped;
  }
  EXPECT_FALSE(windowsAltersFileName(""));
}

// On POSIX the same names are ordinary files.
TEST_F(Sim, DeviceNamesAreOrdinaryFilesOnPosix) {
  EXPECT_FALSE(kiv::platform::systemAltersFileName("NUL.DATA__"));
  EXPECT_FALSE(kiv::platform::systemAltersFileName("$u$x."));
  setenv("KIVCREATEFILES", "YES", 1);
  auto nul = makePip("D", "NUL.DATA", kNew);
  EXPECT_EQ(alloc(nul.get()), 0);
  auto dot = makePip("E", nullptr, kShr);
  dot->pathString = "/u/x.";
  EXPECT_EQ(alloc(dot.get()), 0);
  std::string out;
  EXPECT_EQ(checkFileName(out, "CONIN$"), 0);
  EXPECT_EQ(out, "CONIN$");
  EXPECT_THAT(files(), ElementsAre("$u$x.", "NUL.DATA__"));
  dynfreeL(nul.get());
  dynfreeL(dot.get());
}

TEST_F(Sim, FindnameNeedsTheDDPrefix) {
  auto p = makePip("INDD1", nullptr, 0);
  ASSERT_EQ(alloc(p.get()), 0);
  EXPECT_EQ(findname("DD:INDD1"), p.get());
  EXPECT_EQ(findname("DD"), nullptr);
  EXPECT_EQ(findname("DD:"), nullptr);
  EXPECT_EQ(findname("XX:INDD1"), nullptr);
  EXPECT_EQ(findname(nullptr), nullptr);
  dynfreeL(p.get());
  EXPECT_EQ(findname("DD:INDD1"), nullptr);
}

TEST_F(Sim, Svc99TracesAtAnyLevel) {
  kivtest::dssimTrace.tracelevel = 0;
  RequestBlock rb = makeConcatenateRequest("A", "B");
  EXPECT_EQ(svc99(rb), 0);
  auto t = traced();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_THAT(t[0], ::testing::StartsWith("Called SVC99 with textunit pointer "));
}

TEST(Utilities, RunUtilityTraces) {
  const std::string file = kivtest::makeTempDir("util") + "/trace";
  kivtest::dssimTrace.tracefile = file;
  kivtest::dssimTrace.tracelevel = 1;
  EXPECT_EQ(runUtility("UTIL1", "", ""), 0);
  EXPECT_EQ(runUtility("UTIL1", "LIST", "MYLIB"), 0);
  kivtest::dssimTrace.tracelevel = 0;
  runUtility("QUIET", "", "");
  kivtest::dssimTrace.tracefile.clear();
  std::vector<std::string> t;
  for (const auto& l : kivtest::lines(kivtest::readFile(file))) t.push_back(l.substr(20));
  EXPECT_THAT(t, ElementsAre("\tATTACH='UTIL1   '    ", "\tMVS would have called the utility 'UTIL1   ' now.",
                             "\tATTACH return code=00000000",
                             "\tATTACH='UTIL1   '  (PARM='LIST')  (STEPLIB='MYLIB   ')",
                             "\tMVS would have called the utility 'UTIL1   ' now.", "\tATTACH return code=00000000"));
  std::filesystem::remove_all(std::filesystem::path(file).parent_path());
  EXPECT_EQ(testAPF(), 0);
}

TEST(Utilities, Fileexists) {
  EXPECT_EQ(fileexists("/"), 1);
  EXPECT_EQ(fileexists("/nonexistent/file"), 0);
  EXPECT_EQ(fileexists(nullptr), 0);
}

}  // namespace
