// Consoles, HFS files, host utilities and system calls called as the VM
// calls them, with the stand-in JNIEnv, and their plain logic.
#include "com_zov_kiv_host_KivConsoleCommand.h"
#include "com_zov_kiv_host_KivHFSFile.h"
#include "com_zov_kiv_host_KivHostUtilities.h"
#include "com_zov_kiv_host_KivSystemCall.h"
#include "fakejni.h"
#include "kivdssim.h"
#include "kivhostsvc.h"
#include "test_trace.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
namespace ku = kiv::utils;

namespace {

const char* kAddElement = "addElement";
const char* kAddElementSig = "(Ljava/lang/Object;)V";

class HostServices : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(trace_.dir());
    console_ = fake_.defineClass("com/zov/kiv/host/KivConsoleCommand");
    for (const char* f : {"errno", "errno2"}) fake_.declare(console_, f, "I");
    hfs_ = fake_.defineClass("com/zov/kiv/host/KivHFSFile");
    fake_.declare(hfs_, "strerror", "Ljava/lang/String;");
    for (const char* f : {"errno", "ivPermissions", "ivInode", "ivDevid", "ivNlinks", "ivUid", "ivGid", "ivSize",
                          "ivAtime", "ivCtime", "ivMtime"})
      fake_.declare(hfs_, f, "I");
    vectorClass_ = fake_.defineClass("java/util/Vector");
    fake_.declareMethod(vectorClass_, kAddElement, kAddElementSig);
    plainClass_ = fake_.defineClass("java/lang/Object");
    consoleObject_ = fake_.newObject(console_);
    file_ = fake_.newObject(hfs_);
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    EXPECT_EQ(fake_.localRefsHeld(), 0u);
    EXPECT_EQ(fake_.utfCharsHeld(), 0);
    EXPECT_EQ(fake_.callsWithExceptionPending, 0);
    EXPECT_FALSE(fake_.exceptionPending);
  }
  JNIEnv* env() { return fake_.env(); }
  jstring str(const char* text) { return text ? fake_.string(text) : nullptr; }

  jint create(const char* name) {
    return Java_com_zov_kiv_host_KivConsoleCommand_consoleCreateN(env(), consoleObject_, str(name));
  }
  jint command(jint h, const char* text, kivtest::FakeObject* vector) {
    return Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandN(env(), consoleObject_, h, str(text), vector);
  }
  jint remove(const char* name) { return Java_com_zov_kiv_host_KivHFSFile_removeN(env(), file_, str(name)); }
  jint stat(const std::string& path) { return Java_com_zov_kiv_host_KivHFSFile_statN(env(), file_, str(path.c_str())); }
  jint mkdir(const std::string& path) {
    return Java_com_zov_kiv_host_KivHFSFile_mkdirN(env(), file_, str(path.c_str()), 0755);
  }
  kivtest::FakeValue& field(kivtest::FakeObject* o, const char* name) { return fake_.value(o, name); }

  kivtest::TraceFile trace_{9};
  std::filesystem::path home_;
  kivtest::FakeJni fake_;
  kivtest::FakeClass* console_ = nullptr;
  kivtest::FakeClass* hfs_ = nullptr;
  kivtest::FakeClass* vectorClass_ = nullptr;
  kivtest::FakeClass* plainClass_ = nullptr;
  kivtest::FakeObject* consoleObject_ = nullptr;
  kivtest::FakeObject* file_ = nullptr;
};

// ---- consoles ---------------------------------------------------------------------

TEST_F(HostServices, ConsoleCollectsThreeMessagesPerCommandThroughTheCachedMethod) {
  jint h = create("OPER1");
  ASSERT_NE(h, 0);
  auto* v = fake_.newObject(vectorClass_);
  EXPECT_EQ(command(h, "D T", v), 0);
  EXPECT_EQ(command(h, "D A", v), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandGetOutputN(env(), consoleObject_, h, 1, v), 0);
  EXPECT_EQ(v->received, std::vector<std::optional<std::string>>(9, std::string("teststring")));
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandIssueN(env(), consoleObject_, h, str("D U")), 0);
  EXPECT_EQ(v->received.size(), 9u) << "issuing collects nothing";
  EXPECT_EQ(fake_.globalRefsHeld, 1) << "the vector's class is kept while the console lives";
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, h), 0);
  EXPECT_EQ(fake_.globalRefsHeld, 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, h), -1) << "deleted";
  auto lines = trace_.lines();
  EXPECT_THAT(lines, Contains("User console 'OPER1' activated"));
  EXPECT_THAT(lines, Contains("Console command: 'D T'"));
  EXPECT_THAT(lines, Contains("User console 'OPER1' deactivated"));
}

TEST_F(HostServices, ConsoleVectorWithoutAddElementAndOfAnotherClass) {
  jint h = create("OPER2");
  field(consoleObject_, "errno").i = 5;
  field(consoleObject_, "errno2").i = 6;
  auto* plain = fake_.newObject(plainClass_);
  EXPECT_EQ(command(h, "D T", plain), -1);
  EXPECT_EQ(fake_.missingMethodLookups, 1);
  EXPECT_EQ(field(consoleObject_, "errno").i, 0);
  EXPECT_EQ(field(consoleObject_, "errno2").i, 0);
  EXPECT_THAT(trace_.lines(), Contains("********** GetMethodId error (retVector.addElement() **********"));
  EXPECT_THAT(plain->received, IsEmpty());

  auto* v = fake_.newObject(vectorClass_);
  EXPECT_EQ(command(h, "D T", v), 0);
  // Once a method is cached, a vector of another class gets its own lookup.
  auto* otherClass = fake_.defineClass("com/example/Collector");
  fake_.declareMethod(otherClass, kAddElement, kAddElementSig);
  auto* other = fake_.newObject(otherClass);
  EXPECT_EQ(command(h, "D T", other), 0);
  EXPECT_EQ(other->received.size(), 3u);
  EXPECT_EQ(command(h, "D T", nullptr), -1) << "a null vector";
  EXPECT_EQ(fake_.globalRefsHeld, 0) << "the cache went with the failed lookup";
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, h), 0);
}

// Threads collect on one console with vectors of two classes while another
// deletes it: each call uses the method of its own vector's class (the
// stand-in throws for any other), and every call that succeeded delivered
// its three messages. Also run under ThreadSanitizer.
TEST_F(HostServices, OneConsoleFromManyThreads) {
  ku::setTraceLevel(1);  // a method of the wrong class would leave an internal-error line
  // The class cached by a thread that has ended stays loaded while the
  // console names it, as in the VM.
  jint ended = create("ENDED");
  std::thread([ended] {
    kivtest::FakeJni fake;
    auto* vectors = fake.defineClass("java/util/Vector");
    fake.declareMethod(vectors, kAddElement, kAddElementSig);
    auto* self = fake.newObject(fake.defineClass("com/zov/kiv/host/KivConsoleCommand"));
    EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandN(fake.env(), self, ended, fake.string("D T"),
                                                                       fake.newObject(vectors)),
              0);
  }).join();
  auto* v = fake_.newObject(vectorClass_);
  EXPECT_EQ(command(ended, "D T", v), 0);
  EXPECT_EQ(v->received.size(), 3u);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, ended), 0);

  for (int round = 0; round < 20; ++round) {
    jint h = create("SHARED");
    ASSERT_NE(h, 0);
    std::atomic<int> started{0};  // threads past their 20th call, or stopped before it
    std::vector<int> wrong(4, 0), stoppedEarly(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        kivtest::FakeJni fake;
        auto* vectors = fake.defineClass("java/util/Vector");
        fake.declareMethod(vectors, kAddElement, kAddElementSig);
        auto* collectors = fake.defineClass("com/example/Collector");
        fake.declareMethod(collectors, kAddElement, kAddElementSig);
        auto* self = fake.newObject(fake.defineClass("com/zov/kiv/host/KivConsoleCommand"));
        kivtest::FakeObject* mine[] = {fake.newObject(vectors), fake.newObject(collectors)};
        int ok[2] = {0, 0};
        int i = 0;
        for (; i < 400; ++i) {
          if (i == 20) ++started;
          int k = (i + t) % 2;
          jint rc = Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandN(fake.env(), self, h, fake.string("D T"),
                                                                             mine[k]);
          if (rc != 0) break;
          ++ok[k];
        }
        if (i < 20) {
          stoppedEarly[t] = 1;
          ++started;
        }
        for (int k = 0; k < 2; ++k)
          if (mine[k]->received.size() != 3u * static_cast<unsigned>(ok[k])) ++wrong[t];
      });
    }
    if (round % 2 == 0) {
      // The console is deleted only once every thread collected 20 times.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (started < 4 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
      EXPECT_EQ(started, 4) << "round " << round << ": threads still short of 20 calls after 60 s";
    }
    EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, h), 0);
    for (auto& th : threads) th.join();
    if (round % 2 == 0)
      EXPECT_THAT(stoppedEarly, ::testing::Each(0)) << "round " << round << ": a call failed before the deletion";
    EXPECT_THAT(wrong, ::testing::Each(0)) << "round " << round;
  }
  EXPECT_THAT(trace_.lines(), Not(Contains(::testing::HasSubstr("internal error"))));
}

TEST_F(HostServices, ConsoleHandleZeroLongNameAndNullTexts) {
  auto* v = fake_.newObject(vectorClass_);
  EXPECT_EQ(command(0, "D T", v), -1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandIssueN(env(), consoleObject_, 0, str("D T")), -1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleCommandGetOutputN(env(), consoleObject_, 0, 1, v), -1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, 0), -1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, 12345), -1)
      << "a handle that names no console";
  EXPECT_THAT(trace_.lines(),
              ElementsAre("consoleCommandN() begin", "consoleCommandN() end", "consoleCommandIssueN() begin",
                          "consoleCommandIssueN() end", "consoleCommandGetOutputN() begin",
                          "consoleCommandGetOutputN() end", "consoleDeleteN() begin", "consoleDeleteN() end",
                          "consoleDeleteN() begin", "consoleDeleteN() end"));
  EXPECT_THAT(v->received, IsEmpty());

  std::string longName(300, 'N');
  jint h = create(longName.c_str());
  ASSERT_NE(h, 0);
  EXPECT_EQ(command(h, nullptr, v), 0) << "a null command is left out, the messages still come";
  EXPECT_EQ(v->received.size(), 3u);
  EXPECT_EQ(Java_com_zov_kiv_host_KivConsoleCommand_consoleDeleteN(env(), consoleObject_, h), 0);
  EXPECT_THAT(trace_.lines(), Contains("User console '" + longName + "' activated"));
  EXPECT_THAT(trace_.lines(), Contains("User console 'NNNNNNNN' deactivated"));
  EXPECT_EQ(create(nullptr), 0);
}

TEST(ConsoleRecord, KeepsAtMostEightCharacters) {
  EXPECT_EQ(ku::Console("OPER1").name(), "OPER1");
  EXPECT_EQ(ku::Console("OPERATOR12").name(), "OPERATOR");
  // A character that would not fit whole is left out.
  EXPECT_EQ(ku::Console("ABCDEFG\xC3\xA9").name(), "ABCDEFG");
  EXPECT_EQ(ku::Console("ABCDEF\xC3\xA9X").name(), "ABCDEF\xC3\xA9");
  ku::Console c("X");
  EXPECT_EQ(c.returnCode, &c.retcode);
  EXPECT_EQ(c.addElement, nullptr);
}

// ---- HFS files -----------------------------------------------------------------------

TEST(LocalPathForm, CutsAtTheLastSeparator) {
  const std::string s(1, kiv::platform::kDirSep);
  EXPECT_EQ(ku::localPathForm("/u/zz/dir/"), s + "u" + s + "zz" + s + "dir");
  EXPECT_EQ(ku::localPathForm("/u/zz/file"), s + "u" + s + "zz");
  EXPECT_EQ(ku::localPathForm("name"), "name");
  EXPECT_EQ(ku::localPathForm("/"), "");
  EXPECT_EQ(ku::localPathForm(""), "");
  EXPECT_EQ(ku::localPathForm(nullptr), "");
}

TEST(StatusFields, KeepTheirHostWidths) {
  kiv::platform::FileStatus s;
  s.mode = 0x1A1ED;
  s.inode = 0x18001;
  s.device = 3;
  s.links = 0x10002;
  s.uid = 70000;
  s.gid = -1;
  s.size = 0x100000005LL;
  s.atime = 1700000000;
  s.ctime = 1700000001;
  s.mtime = 1700000002;
  ku::StatusFields f = ku::statusFields(s);
  EXPECT_EQ(f.permissions, 0xA1ED) << "unsigned 16-bit";
  EXPECT_EQ(f.inode, -32767) << "16-bit, sign-extended";
  EXPECT_EQ(f.devid, 3);
  EXPECT_EQ(f.nlinks, 2);
  EXPECT_EQ(f.uid, 4464);
  EXPECT_EQ(f.gid, -1);
  EXPECT_EQ(f.size, 5);
  EXPECT_EQ(f.atime, 1700000000);
  EXPECT_EQ(f.ctime, 1700000001);
  EXPECT_EQ(f.mtime, 1700000002);
}

TEST_F(HostServices, StatOfADirectoryAndOfAFilesParent) {
  std::string dir = trace_.dir() + "/sub";
  ASSERT_EQ(mkdir(dir + "/"), 0);
  kivtest::writeFile(dir + "/f.txt", "12345");
  // Access and modification times set apart, each to a date of its own
  // (2001-09-09, 2004-11-09 for the file; 2008-01-10, 2011-03-13 for the
  // directory); the change time is the real one, now.
  auto setTimes = [](const std::string& path, time_t atime, time_t mtime) {
    const timespec times[2] = {{atime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
  };
  setTimes(dir + "/f.txt", 1000000000, 1100000000);
  setTimes(dir, 1200000000, 1300000000);
  auto changed = [](const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return static_cast<int>(st.st_ctime);
  };
  ASSERT_EQ(stat(dir + "/"), 0);
  EXPECT_EQ(field(file_, "ivPermissions").i & 0170000, 040000);
  EXPECT_EQ(field(file_, "ivAtime").i, 1200000000);
  EXPECT_EQ(field(file_, "ivMtime").i, 1300000000);
  EXPECT_EQ(field(file_, "ivCtime").i, changed(dir));
  EXPECT_GT(field(file_, "ivCtime").i, 1300000000);
  ASSERT_EQ(stat(dir + "/f.txt/"), 0) << "a file: the path up to its last separator";
  EXPECT_EQ(field(file_, "ivPermissions").i & 0170000, 0100000);
  EXPECT_EQ(field(file_, "ivSize").i, 5);
  EXPECT_EQ(field(file_, "ivAtime").i, 1000000000);
  EXPECT_EQ(field(file_, "ivMtime").i, 1100000000);
  EXPECT_EQ(field(file_, "ivCtime").i, changed(dir + "/f.txt"));
  int inode = field(file_, "ivInode").i;
  field(file_, "ivInode").i = 0;
  ASSERT_EQ(stat(dir + "/"), 0);
  int dirInode = field(file_, "ivInode").i;
  field(file_, "ivInode").i = 0;
  ASSERT_EQ(stat(dir + "/f.txt"), 0) << "asks for the parent";
  EXPECT_EQ(field(file_, "ivInode").i, dirInode);
  EXPECT_NE(inode, dirInode) << "with a separator at its end the path was the file's own";
  EXPECT_EQ(field(file_, "ivPermissions").i & 0170000, 040000);

  field(file_, "ivSize").i = -7;
  EXPECT_EQ(stat(dir + "/missing/x"), -1);
  EXPECT_EQ(field(file_, "errno").i, ENOENT);
  EXPECT_EQ(field(file_, "strerror").s, std::string(std::strerror(ENOENT)));
  EXPECT_EQ(field(file_, "ivSize").i, -7) << "fields keep their values";
}

TEST_F(HostServices, MkdirTwice) {
  std::string dir = trace_.dir() + "/twice/";
  EXPECT_EQ(mkdir(dir), 0);
  EXPECT_EQ(mkdir(dir), -1);
  EXPECT_EQ(field(file_, "errno").i, EEXIST);
  EXPECT_EQ(field(file_, "strerror").s, std::string(std::strerror(EEXIST)));
  EXPECT_EQ(Java_com_zov_kiv_host_KivHFSFile_mkdirN(env(), file_, nullptr, 0), -1);
  EXPECT_EQ(field(file_, "errno").i, EINVAL);
}

TEST_F(HostServices, RemoveByDDNameHostNotationAndMissing) {
  kivtest::writeFile("ZZ.DATA_M1_", "x");
  auto pip = std::make_unique<kiv::PIP>();
  pip->ddName = "SYSUT1";
  pip->dsName = "ZZ.DATA";
  pip->member = "M1";
  ASSERT_EQ(kiv::dyninitL(pip.get()), 0);
  EXPECT_EQ(remove("DD:SYSUT1"), 0);
  EXPECT_FALSE(std::filesystem::exists("ZZ.DATA_M1_"));
  EXPECT_THAT(trace_.lines(), Contains("\tInfo: DD:SYSUT1 corresponds to ZZ.DATA_M1_"));
  EXPECT_EQ(kiv::dynfreeL(pip.get()), 0);

  kivtest::writeFile("ZZ.DATA__", "x");
  EXPECT_EQ(remove("//'ZZ.DATA'"), 0);
  EXPECT_FALSE(std::filesystem::exists("ZZ.DATA__"));
  kivtest::writeFile("$u$zz$a.txt", "x");
  EXPECT_EQ(remove("/u/zz/a.txt"), 0);
  EXPECT_FALSE(std::filesystem::exists("$u$zz$a.txt"));

  EXPECT_EQ(remove("//'ZZ.DATA'"), -1);
  EXPECT_EQ(field(file_, "errno").i, ENOENT);
  EXPECT_EQ(field(file_, "strerror").s, std::string(std::strerror(ENOENT)));
  EXPECT_EQ(remove("DD:NOSUCH"), -1) << "falls back to host notation";
  EXPECT_THAT(trace_.lines(), Contains("\tInfo: DD:NOSUCH corresponds to DD:NOSUCH"));
  EXPECT_EQ(remove(nullptr), -1);
  EXPECT_EQ(field(file_, "errno").i, EINVAL);
}

TEST_F(HostServices, RemoveTouchesNothingOutsideTheCurrentDirectory) {
  std::filesystem::create_directory("inner");
  kivtest::writeFile("inner/victim", "x");
  for (const char* name : {"inner\\victim", "..", "//'..'", "C:victim"}) {
    EXPECT_EQ(remove(name), -1) << name;
    EXPECT_EQ(field(file_, "errno").i, ENOENT) << name;
  }
  EXPECT_TRUE(std::filesystem::exists("inner/victim"));
  EXPECT_TRUE(std::filesystem::exists(trace_.path()));
}

TEST_F(HostServices, RecordedOperationsTouchNothing) {
  kivtest::writeFile("keep", "x");
  EXPECT_EQ(Java_com_zov_kiv_host_KivHFSFile_chmodN(env(), file_, str("keep"), 0), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHFSFile_chownN(env(), file_, str("keep"), 1, 2), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHFSFile_renameN(env(), file_, str("keep"), str("gone")), 0);
  EXPECT_TRUE(std::filesystem::exists("keep"));
  EXPECT_THAT(trace_.lines(), Contains("\tchmod(): rc=0, dir='keep', mode='0'"));
}

// ---- host utilities and system calls ------------------------------------------------------

TEST(SystemSymbol, ResolvesTheFirstOccurrenceInAnyCaseAndAnyLength) {
  EXPECT_EQ(ku::resolveSystemSymbol("SYS1.&SYSNAME..PARMLIB", "SYSA"), "SYS1.SYSA.PARMLIB");
  EXPECT_EQ(ku::resolveSystemSymbol("SYS1.&SYSNAME..PARMLIB", nullptr), "SYS1..PARMLIB");
  EXPECT_EQ(ku::resolveSystemSymbol("x.&sysname.y", "S"), "x.Sy");
  EXPECT_EQ(ku::resolveSystemSymbol("&SYSNAME.&sysname.", "S"), "S&sysname.");
  EXPECT_EQ(ku::resolveSystemSymbol("&SYSNAME", "S"), "&SYSNAME");
  EXPECT_EQ(ku::resolveSystemSymbol("", "S"), "");
  const std::string head(100000, 'a');
  const std::string value(5000, 'V');
  EXPECT_EQ(ku::resolveSystemSymbol(head + "&SysName." + head, value.c_str()), head + value + head);
}

TEST(IplInfo, FieldsAtTheirColumns) {
  const std::string r = ku::iplInfoRecord();
  ASSERT_EQ(r.size(), 232u);
  EXPECT_EQ(r.substr(0, 32), "DELMAROSLPARXX  ZOVUSER 00LOADXX");
  EXPECT_EQ(r.substr(76, 8), "IODFXXXX");
  EXPECT_EQ(r.substr(117, 27), "MASTER.CATALOG.DATASET.NAME");
  EXPECT_EQ(r.substr(161, 4), "(00,");
  EXPECT_EQ(r.substr(224), "SPXNAME ");
}

TEST_F(HostServices, SymbolAndTextsThatCannotBeConverted) {
  setenv("KIVJAVASYSNAME", "SYSX", 1);
  jstring r = Java_com_zov_kiv_host_KivHostUtilities_getSystemSymbolN(env(), nullptr, str("A.&SYSNAME.B"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(static_cast<kivtest::FakeString*>(r)->text, "A.SYSXB");
  env()->DeleteLocalRef(r);
  unsetenv("KIVJAVASYSNAME");
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_getSystemSymbolN(env(), nullptr, nullptr), nullptr);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_wtoN(env(), nullptr, JNI_TRUE, nullptr), -1);
  fake_.failUtfChars = true;
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_wtoN(env(), nullptr, JNI_TRUE, str("HELLO")), -1);
  fake_.exceptionPending = false;  // the VM's OutOfMemoryError goes back to Java
  fake_.failUtfChars = false;
  fake_.failNewString = true;
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_getIPLInfoN(env(), nullptr), nullptr);
  EXPECT_FALSE(fake_.exceptionPending);
  fake_.failNewString = false;
}

TEST_F(HostServices, SystemCallsTraceAndStartNothing) {
  EXPECT_EQ(Java_com_zov_kiv_host_KivSystemCall_attachUtilityN(env(), nullptr, str("IEBGE"), nullptr, nullptr), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivSystemCall_attachUtilitySpawnN(env(), nullptr, str("a"), str("IDCAMS"), str("c"),
                                                                    str("d"), str("e")),
            0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivSystemCall_systemcallN(env(), nullptr, nullptr, str("rm -rf x")), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivHostUtilities_testAPFN(env(), nullptr), 0);
  EXPECT_THAT(trace_.lines(),
              ElementsAre("attachUtilityN() begin", "\tATTACH='IEBGE   '    ",
                          "\tMVS would have called the utility 'IEBGE   ' now.", "\tATTACH return code=00000000",
                          "attachUtilityN() end (rc=0)", "attachUtilitySpawnN() begin", "Utility 'IDCAMS'",
                          "attachUtilitySpawnN() end (rc=0)", "systemcallN() begin", "systemcallN(): 'rm -rf x'",
                          "systemcallN() end (rc=0)"));
}

}  // namespace
