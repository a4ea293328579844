// The numbered functions and their dispatch, over the in-memory system.
#include <cstdio>
#include <new>
#include <stdexcept>

#include "fake_os.h"

namespace orlin::test {
namespace {

// Standard output and error captured in files.
class Captured {
 public:
  Captured() : out_(std::tmpfile()), err_(std::tmpfile()) {}
  ~Captured() {
    std::fclose(out_);
    std::fclose(err_);
  }
  Console console(bool debug = true) const { return {out_, err_, debug}; }
  std::string out() const { return read(out_); }
  std::string err() const { return read(err_); }

 private:
  static std::string read(std::FILE* f) {
    std::fflush(f);
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  std::FILE* out_;
  std::FILE* err_;
};

class Helper : public ::testing::Test {
 protected:
  int run(std::vector<std::string> args, bool debug = true) { return runHelper(os, io.console(debug), args); }
  FakeOs os;
  Captured io;
  TempDir dir;
};

TEST_F(Helper, BadCalls) {
  EXPECT_EQ(run({}), -1);
  EXPECT_EQ(io.err(), "argc too small, exiting\n");
  EXPECT_EQ(run({"abc"}), -1);
  EXPECT_EQ(run({"0"}), -1);
  EXPECT_EQ(run({"-4"}), -1);
  EXPECT_EQ(io.err(), "argc too small, exiting\nfn too small, exiting\nfn too small, exiting\nfn too small, exiting\n");
  std::string before = io.err();
  EXPECT_EQ(run({"9"}), -1);
  EXPECT_EQ(run({"2147483647"}), -1);
  EXPECT_EQ(io.err(), before);  // silently
  EXPECT_EQ(io.out(), "");
}

TEST_F(Helper, DebugOffWritesNothing) {
  EXPECT_EQ(run({}, false), -1);
  EXPECT_EQ(run({"x"}, false), -1);
  EXPECT_EQ(io.err(), "");
}

TEST_F(Helper, MissingArgumentsAreRefused) {
  for (const char* fn : {"1", "2", "4", "8"}) EXPECT_EQ(run({fn}), -1) << fn;
  EXPECT_EQ(run({"6", "C:\\jre", "1.3"}), -1);
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += "missing argument, exiting\n";
  EXPECT_EQ(io.err(), expected);
  EXPECT_TRUE(os.runs.empty());
  // Functions that ignore the INI path do not need it.
  EXPECT_EQ(run({"3"}), 0);
  EXPECT_EQ(run({"5"}), 0);
  EXPECT_EQ(run({"7"}), 1);
}

TEST_F(Helper, ResolveJrePath) {
  os.addRuntime("1.3", "C:\\jre13", text("1"));
  os.ini["C:\\i.ini"]["jreVersion"] = "1.3.1";
  EXPECT_EQ(run({"1", "C:\\i.ini"}), 0);
  EXPECT_EQ(os.ini["C:\\i.ini"]["jrePath"], "C:\\jre13");
  os.ini["C:\\i.ini"]["jreVersion"] = "1.3";
  EXPECT_EQ(run({"1", "C:\\i.ini"}), 1);
  EXPECT_EQ(run({"1", "C:\\missing.ini"}), 1);
  // Found but not recorded: the script must not take it as done.
  os.ini["C:\\i.ini"]["jreVersion"] = "1.3.1";
  os.iniWritable = false;
  EXPECT_EQ(run({"1", "C:\\i.ini"}), 1);
}

TEST_F(Helper, LongTempDirIsRefused) {
  os.ini["i.ini"] = {{"jrePath", "C:\\jre"}, {"installJRE", "1"}, {"tempDir", std::string(252, 't')}};
  EXPECT_EQ(run({"2", "i.ini"}), 1);
  EXPECT_EQ(io.err(), "path too long, refused: " + std::string(252, 't') + "\n");
}

TEST_F(Helper, RegisterLauncher) {
  const std::string target = dir.str() + "\\";
  os.ini["i.ini"] = {{"jrePath", "C:\\jre"}, {"jreVersion", "1.3.1"}, {"targetDir", target}};
  EXPECT_EQ(run({"4", "i.ini"}), 0);
  EXPECT_EQ(os.viewerValues["TYPE0"], "application/x-java-jnlp-file");
  EXPECT_EQ(os.viewerValues["application/x-java-jnlp-file"], '"' + target + "orlin.exe\"");
  EXPECT_EQ(readAll(target + "orlin.cfg"),
            "orlin.cfg.jre.0.platform=1.3.1\norlin.cfg.jre.0.product=1.3.1\n"
            "orlin.cfg.jre.0.path=C:\\\\jre\\\\bin\\\\javaw.exe\norlin.cfg.jre.default=0\n");
  // A configuration file that cannot be written is not reported.
  os.ini["i.ini"]["targetDir"] = dir.file("missing") + "\\";
  EXPECT_EQ(run({"4", "i.ini"}), 0);
  // A targetDir that leaves no room for the file names is refused whole.
  os.viewerValues.clear();
  os.ini["i.ini"]["targetDir"] = std::string(250, 'd');
  EXPECT_EQ(run({"4", "i.ini"}), 1);
  EXPECT_TRUE(os.viewerValues.empty());
  EXPECT_NE(io.err().find("path too long, refused: ddd"), std::string::npos);
}

TEST_F(Helper, EmptyDirectoriesAreRefused) {
  // An empty directory would put the files into the root of the current drive
  // (here: files named so in the current directory, left by no earlier run).
  for (const char* name : {"\\foo.ini", "\\orlin.cfg"}) std::filesystem::remove(name);
  os.addRuntime("1.3.1", "C:\\jre131");
  os.ini["i.ini"] = {{"jrePath", "C:\\jre"}, {"jreVersion", "1.3.1"}, {"installJRE", "1"}};
  EXPECT_EQ(run({"4", "i.ini"}), 1);
  EXPECT_TRUE(os.viewerValues.empty());
  EXPECT_EQ(run({"2", "i.ini"}), 1);
  EXPECT_EQ(run({"6", "C:\\jre", "1.3", ""}), 0);
  EXPECT_TRUE(os.runs.empty());
  // already installed: the runtime results, but foo.ini is not written
  EXPECT_EQ(run({"6", "C:\\jre", "1.3.1", ""}), 1);
  EXPECT_FALSE(std::filesystem::exists("\\foo.ini"));
  EXPECT_FALSE(std::filesystem::exists("\\orlin.cfg"));
  EXPECT_EQ(io.err(),
            "empty directory, refused for orlin.exe\n"
            "empty directory, refused for orlin.cfg\n"
            "empty directory, refused for jre.iss\n"
            "empty directory, refused for jre.iss\n"
            "empty directory, refused for jre.exe\n"
            "empty directory, refused for foo.ini\n"
            "empty directory, refused for foo.ini\n");
}

TEST(Guarded, EveryExceptionEndsTheRunWithMinusOne) {
  EXPECT_EQ(runGuarded([] { return 4; }), 4);
  EXPECT_EQ(runGuarded([]() -> int { throw std::bad_alloc(); }), -1);
  EXPECT_EQ(runGuarded([]() -> int { throw std::length_error("x"); }), -1);
  EXPECT_EQ(runGuarded([]() -> int { throw 7; }), -1);
}

class InstallJre : public Helper {
 protected:
  std::string work() const { return dir.str(); }
  std::string resultFile() const { return dir.str() + "\\foo.ini"; }
  std::string templatePath() const { return dir.str() + "\\jre.iss"; }
};

TEST_F(InstallJre, RunsTheInstallerWithTheResponseFile) {
  writeAll(templatePath(), "szDir=<JREPATH>\n");
  os.exitCode = 3;
  EXPECT_EQ(run({"6", "C:\\Program Files\\jre", "1.3.1", work()}), 1);
  ASSERT_EQ(os.runs.size(), 1u);
  EXPECT_EQ(os.runs[0].program, dir.str() + "\\jre.exe");
  EXPECT_EQ(os.runs[0].commandLine, "-s -a -s -f1\"" + templatePath() + "2\"");
  EXPECT_EQ(readAll(templatePath() + "2"), "szDir=\"C:\\Program Files\\jre\"\n");
  EXPECT_EQ(io.out(), "Installing JRE v1.3.1...done.\n");
  EXPECT_EQ(io.err(), "adding jrePath C:\\Program Files\\jre to " + templatePath() + ".... successful\n" +
                          "Executing: " + dir.str() + "\\jre.exe -s -a -s -f1\"" + templatePath() + "2\"\n");
  EXPECT_EQ(os.sleeps, std::vector<unsigned>{1000});
  EXPECT_EQ(readAll(resultFile()), "[foo]\njrePath=C:\\Program Files\\jre");
}

TEST_F(InstallJre, NoRuntimeResults) {
  // A negative exit code.
  writeAll(templatePath(), "x\n");
  os.exitCode = -1;
  EXPECT_EQ(run({"6", "C:\\jre", "1.3.1", work()}), 0);
  EXPECT_EQ(readAll(resultFile()), "[foo]\njrePath=");
  // No template: the installer is not started.
  std::filesystem::remove(templatePath());
  os.runs.clear();
  EXPECT_EQ(run({"6", "C:\\jre", "1.3.1", work()}), 0);
  EXPECT_TRUE(os.runs.empty());
  EXPECT_NE(io.err().find(".... failed\n"), std::string::npos);
  EXPECT_EQ(readAll(resultFile()), "[foo]\njrePath=");
  // A runtime directory beyond the buffers is refused.
  writeAll(templatePath(), "x\n");
  EXPECT_EQ(run({"6", std::string(300, 'j'), "1.3.1", work()}), 0);
  EXPECT_TRUE(os.runs.empty());
}

}  // namespace
}  // namespace orlin::test
