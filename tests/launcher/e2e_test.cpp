// kivjava run as a user runs it: with the real JDK, and with stand-in runtime
// libraries where a real one cannot show the behaviour.
#include "process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using ::testing::ContainsRegex;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

const std::string kJars = JAR_DIR;
const std::string kFakes = FAKE_DIR;

std::vector<std::string> prefixed(const std::string& text, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : kivtest::lines(text))
    if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
  return out;
}

// A working directory with a property file, and an environment without any
// of the launcher's variables.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = kivtest::makeTempDir("e2e");
    opts_.cwd = dir_;
    for (const char* v : {"JAVA_HOME", "CLASSPATH", "KIVCLASSPATH1", "KIVCLASSPATH2", "KIVCLASSPATH3",
                          "KIVPLUGINCLASSPATH1", "KIVPLUGINCLASSPATH2", "KIVOPTIONS", "KIVPROPERTIES",
                          "KIVTRACEPATH", "LD_LIBRARY_PATH", "FAKEJVM_FAIL", "FAKEJVM_RESULT",
                          "JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"})
      opts_.env[v] = std::nullopt;
    properties({});
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void properties(std::initializer_list<std::string> lines) {
    std::string text = "kiv.application=com.zov.kiv.test.LauncherProbe\n";
    for (const auto& l : lines) text += l + "\n";
    kivtest::writeFile(dir_ + "/probe.properties", text);
  }
  void set(const std::string& name, const std::string& value) { opts_.env[name] = value; }
  void useJdk(const std::string& home) {
    set("JAVA_HOME", home);
    set("KIVCLASSPATH1", kJars + "/kivhost.jar:");
    set("KIVCLASSPATH2", kJars + "/kivtestapps.jar:");
  }
  // A runtime only the stand-in can be: no JDK on any path the launcher searches.
  void useFake(const std::string& subdir) {
    set("LD_LIBRARY_PATH", kFakes + "/" + subdir);
    set("PATH", "/nonexistent");
    set("FAKEJVM_RECORD", dir_ + "/record.txt");
  }
  std::vector<std::string> record() { return kivtest::lines(kivtest::readFile(dir_ + "/record.txt")); }

  kivtest::RunResult kivjava(std::vector<std::string> args) {
    args.insert(args.begin(), KIVJAVA);
    return kivtest::run(args, opts_);
  }

  std::string dir_;
  kivtest::RunOptions opts_;
};

// ---- with the real JDKs --------------------------------------------------------

class RealJdk : public Launcher, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    Launcher::SetUp();
    if (!std::filesystem::exists(GetParam() + "/lib/server/libjvm.so")) GTEST_SKIP() << "no JDK at " << GetParam();
    useJdk(GetParam());
  }
};

std::vector<std::string> jdks() { return {JDK_HOME, JDK25_HOME}; }

std::string jdkName(const ::testing::TestParamInfo<std::string>& info) {
  return info.index == 0 ? "BuildJdk" : "SecondJdk";
}

INSTANTIATE_TEST_SUITE_P(Jdks, RealJdk, ::testing::ValuesIn(jdks()), jdkName);

TEST_P(RealJdk, ExitCodeIsWhatKivMainReturns) {
  for (const char* code : {"0", "3", "255"}) {
    properties({std::string("probe.exitcode=") + code});
    auto r = kivjava({"probe.properties"});
    EXPECT_EQ(r.exitCode, std::stoi(code)) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("probe: started"));
    EXPECT_THAT(r.out, StartsWith("Specified JAVA_HOME is '" + GetParam() + "'\n"));
  }
  properties({"probe.action=exit", "probe.exitcode=5"});
  EXPECT_EQ(kivjava({"probe.properties"}).exitCode, 5) << "System.exit ends the process with its code";
}

TEST_P(RealJdk, JavaSideReceivesTheSettingsInOrder) {
  properties({"probe.show=KivJava.programfile,KivJava.propertyfile,java.home,KivJava.recordcommands,"
              "KivJava.verboseclassload,java.class.path"});
  auto r = kivjava({"-recordcommands", "probe.properties", "-v", "-nojit", "-mx256M", "-ms4M", "-t", "tr"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  auto trace = kivtest::listDir(dir_ + "/tr");
  ASSERT_EQ(trace.size(), 1u);
  std::string traceFile = "tr/" + trace[0];
  const std::string jniH = kivtest::readFile(GetParam() + "/include/jni.h");
  std::vector<std::string> expected{"-DKivJava.programfile=" KIVJAVA, "-DKivJava.propertyfile=probe.properties",
                                    "-Djava.home=" + GetParam(), "-DKivJava.tracefile=" + traceFile,
                                    "-DKivJava.recordcommands=1", "-verbose:class", "-verbose:jni",
                                    "-DKivJava.verboseclassload=1"};
  // Runtimes of JNI 21 and later no longer know java.compiler.
  if (jniH.find("JNI_VERSION_21") == std::string::npos) expected.push_back("-Djava.compiler=NONE");
  for (const char* o : {"-Xint", "-Xms4194304", "-Xmx268435456"}) expected.push_back(o);
  // Runtimes of JNI 24 and later get native access for the host library.
  if (jniH.find("JNI_VERSION_24") != std::string::npos) expected.push_back("--enable-native-access=ALL-UNNAMED");
  expected.push_back("exit");
  expected.push_back("abort");
  EXPECT_THAT(prefixed(r.out, "arg: "), ::testing::ElementsAreArray(expected));
  std::string cp = kJars + "/kivhost.jar:" + kJars + "/kivtestapps.jar:" + GetParam() + "/jre/lib/rt.jar:" +
                   GetParam() + ":" + GetParam() + ":";
  EXPECT_THAT(prefixed(r.out, "prop: "),
              ElementsAre("KivJava.programfile=" KIVJAVA, "KivJava.propertyfile=probe.properties",
                          "java.home=" + GetParam(), "KivJava.recordcommands=1", "KivJava.verboseclassload=1",
                          "java.class.path=" + cp));
  EXPECT_THAT(r.out, ContainsRegex("\\[class,load\\] java\\.lang\\.Object")) << "-v turns on class tracing";

  // Options the launcher has none for reach the VM through its own variable.
  set("JAVA_TOOL_OPTIONS", "-Dkiv.tooloption=42");
  properties({"probe.show=kiv.tooloption"});
  r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(prefixed(r.out, "prop: "), ElementsAre("kiv.tooloption=42"));
  EXPECT_THAT(r.err, HasSubstr("Picked up JAVA_TOOL_OPTIONS: -Dkiv.tooloption=42\n"));
}

TEST_P(RealJdk, NoVmWarningForAnOptionTheLauncherChose) {
  auto r = kivjava({"probe.properties", "-nojit"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("VM warning")));
}

TEST_P(RealJdk, LoadMessageTellsWhatWasLoadedFromWhere) {
  auto r = kivjava({"probe.properties", "-t"});
  EXPECT_THAT(r.out, HasSubstr("Loaded library '" + GetParam() + "/lib/server/libjvm.so' (found in JAVA_HOME).\n"));

  // A JAVA_HOME that is no directory: the runtime of the java on PATH.
  set("JAVA_HOME", dir_ + "/no-such-jdk");
  set("PATH", GetParam() + "/bin:/usr/bin:/bin");
  r = kivjava({"probe.properties", "-t"});
  const std::string jdk = std::filesystem::canonical(GetParam()).string();
  EXPECT_THAT(r.out, HasSubstr("Loaded library '" + jdk + "/lib/server/libjvm.so' (found through the java on PATH).\n"));
  EXPECT_THAT(r.out, Not(HasSubstr("no-such-jdk/jre/bin/classic")));
}

TEST_P(RealJdk, CheckJniRuns) {
  auto r = kivjava({"probe.properties", "-checkjni"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(prefixed(r.out, "arg: "), testing::Contains("-Xcheck:jni"));
}

TEST_P(RealJdk, UncaughtExceptionIsShownAndFails) {
  properties({"probe.action=throw"});
  auto r = kivjava({"probe.properties", "-t"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.err, HasSubstr("java.lang.IllegalStateException: probe asked to throw"));
  EXPECT_THAT(r.out, HasSubstr("Exception in kiv_main not caught; return code set to 16.\n"));
  EXPECT_THAT(r.out, HasSubstr("Return code '16' from kiv_main\nDestroying JVM...\n")) << "the VM still ends";
}

TEST_P(RealJdk, TooSmallHeapFailsThroughTheLauncher) {
  auto r = kivjava({"probe.properties", "-mx1500", "-t"});
  EXPECT_EQ(r.exitCode, 16) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("Creating JVM...\n"));
  EXPECT_THAT(r.out, HasSubstr("Error: Failed to create JVM.\nTerminating...\nFinishing trace...\n"));
  EXPECT_THAT(r.out, Not(HasSubstr("probe: started")));
}

TEST_P(RealJdk, BusyDebugPortFailsThroughTheLauncher) {
  int s = -1;
  // Another test process may hold the port for a moment: wait for it.
  for (int attempt = 0; attempt < 100 && s < 0; ++attempt) {
    s = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(7000);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 1) != 0) {
      close(s);
      s = -1;
      usleep(100000);
    }
  }
  if (s < 0) GTEST_SKIP() << "port 7000 cannot be held by the test";
  opts_.timeoutSeconds = 60;
  auto r = kivjava({"probe.properties", "-remotedebug"});
  close(s);
  EXPECT_EQ(r.exitCode, 16) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("Error: Failed to create JVM.\nTerminating...\n"));
  EXPECT_THAT(r.out + r.err, Not(HasSubstr("VM warning"))) << "the debugging options suit the runtime";
}

TEST_P(RealJdk, TraceFileInANestedDirectory) {
  auto r = kivjava({"-t", "probe.properties", "t1/t2/t3"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  auto files = kivtest::listDir(dir_ + "/t1/t2/t3");
  ASSERT_EQ(files.size(), 1u);
  std::string name = "t1/t2/t3/" + files[0];
  EXPECT_THAT(r.out, StartsWith("Starting '" KIVJAVA "'...\nOpening trace file '" + name + "'...\n"));
  EXPECT_THAT(r.out, HasSubstr("Creating JVM...\nLoading invocation class (com/zov/kiv/host/KivJava)...\n"
                               "Locating main method...\nBuilding argument list...\nCalling kiv_main...\n"));
  EXPECT_THAT(r.out, HasSubstr("Return code '0' from kiv_main\nDestroying JVM...\nFinishing trace...\n"
                               "Deallocating resources...\nDone.\n"));
  std::string text = kivtest::readFile(dir_ + "/" + name);
  EXPECT_THAT(text, StartsWith(std::string(KIVJAVA) + "\nVersion: "));
  EXPECT_THAT(text, ContainsRegex("   JAVA_HOME=" + GetParam() + "\n"));
  EXPECT_THAT(text, ContainsRegex("   JavaVMOptions:\n.*\t-DKivJava.tracefile=" + name));
  EXPECT_THAT(text, ContainsRegex("   Return code '0' from kiv_main\n\nTrace ended at .*\n\n$"));
}


// ---- command line and environment ------------------------------------------------

TEST_F(Launcher, HelpAndVersionNeedNoRuntime) {
  auto r = kivjava({"-help"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, StartsWith("Usage: " KIVJAVA " [options] property_file [trace_file_path]\n\nProperty file:\n"));
  EXPECT_EQ(r.err, "");
  r = kivjava({"-version"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, ContainsRegex("^Hollarin, Version 1\\.4\nInvocation Class Loader \\(.*\\)\n\n$"));
}

TEST_F(Launcher, FatalCommandLineErrors) {
  auto r = kivjava({"a", "b", "c", "-help"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_EQ(r.out, "Error: Too many parameters.\nTerminating...\n");
  r = kivjava({});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_EQ(r.out, "Error: At least a property file name must be specified.\nTerminating...\n");
  useJdk(JDK_HOME);
  r = kivjava({"probe.properties", "-x"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, HasSubstr("Error: Illegal option '-x'\nTerminating...\n"));
  EXPECT_THAT(r.out, Not(HasSubstr("probe: started")));
}

TEST_F(Launcher, EnvparmsTakesItsSettingsFromTheEnvironment) {
  useJdk(JDK_HOME);
  set("KIVPROPERTIES", "probe.properties");
  set("KIVTRACEPATH", "envtraces");
  set("KIVOPTIONS", "  -t   -recordcommands ");
  properties({"probe.show=KivJava.propertyfile,KivJava.recordcommands"});
  auto r = kivjava({"-envparms", "ignored.properties", "-x"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(prefixed(r.out, "prop: "),
              ElementsAre("KivJava.propertyfile=probe.properties", "KivJava.recordcommands=1"));
  EXPECT_EQ(kivtest::listDir(dir_ + "/envtraces").size(), 1u);
}

TEST_F(Launcher, NoClassPathWarnsAndCannotFindTheEntryClass) {
  set("JAVA_HOME", JDK_HOME);
  auto r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, HasSubstr("Warning: No classpath set.\n"));
  EXPECT_THAT(r.out, HasSubstr("Error: Could not load invocation class.\nTerminating...\n"));
}

TEST_F(Launcher, ClassPathFallsBackToCLASSPATHAndAddsTheExtensions) {
  set("JAVA_HOME", JDK_HOME);
  set("CLASSPATH", kJars + "/kivhost.jar");  // no separator at its end
  set("KIVPLUGINCLASSPATH1", kJars + "/kivtestapps.jar");
  properties({"probe.show=java.class.path"});
  auto r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(prefixed(r.out, "prop: "),
              ElementsAre("java.class.path=" + kJars + "/kivhost.jar:" + kJars + "/kivtestapps.jar"));
}

TEST_F(Launcher, MissingMainMethod) {
  set("JAVA_HOME", JDK_HOME);
  set("KIVCLASSPATH1", kJars + "/kivnomain.jar:");
  auto r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, HasSubstr("Error: Could not find main method.\nTerminating...\n"));
}

TEST_F(Launcher, VeryLongArgumentsAndValuesAreSafe) {
  useJdk(JDK_HOME);
  set("KIVPLUGINCLASSPATH1", kJars + "/kivdemo.jar");  // the application when no property file names one
  std::string longName(3000, 'p');
  auto r = kivjava({longName});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("property file '" + longName + "' not read"));

  std::string longDir;
  for (int i = 0; i < 30; ++i) longDir += std::string(250, 'd') + "/";
  r = kivjava({"probe.properties", "-t", longDir});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("for trace file failed with errno=36."));  // ENAMETOOLONG

  set("KIVCLASSPATH3", std::string(100000, 'x') + ":");
  r = kivjava({"probe.properties", "-" + std::string(4000, 'o')});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, HasSubstr("Error: Illegal option '-ooo"));
}

// ---- runtime loading -------------------------------------------------------------

TEST_F(Launcher, NoRuntimeLibraryExplainsAndFails) {
  set("PATH", "/nonexistent");
  auto r = kivjava({"probe.properties", "-t", "traces"});
  EXPECT_EQ(r.exitCode, 16);
  const std::string explanation =
      "\nError:\nJava Runtime library cannot be loaded.\n\nExplanation:\nNo Java library could be loaded.\n"
      "Attempting to load the Java 1.4 library (libjvm.so) returned errno=2 (0x0002).\n"
      "Attempting to load the Java 1.3 library (libjvm.so) returned errno=0 (0x0000).\n"
      "Attempting to load the Java 1.1 library (libjavai.so) returned errno=2 (0x0002).\n\n"
      "System action:\nThe Hollarin host framework cannot be started.\n\nUser response:\n"
      "1) Ensure that the runtime library for your Java version exists\n   on your driving system.\n"
      "2) Ensure that either JAVA_HOME or LIBPATH is set correctly.\n"
      "3) Check if the user who starts the host jobs has 'execute' permission\n   for this library.\n"
      "4) Check if the library is APF authorized.\nIf the problem persists, contact ZOV support.\n\n";
  EXPECT_THAT(r.out, HasSubstr("Specified JAVA_HOME is '(null)'\n" + explanation +
                               "Error: Unable to load Java runtime library.\nTerminating...\n"));
  auto files = kivtest::listDir(dir_ + "/traces");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_THAT(kivtest::readFile(dir_ + "/traces/" + files[0]), HasSubstr("   \nError:\nJava Runtime library"));
}

TEST_F(Launcher, RuntimeWithoutEntryPoints) {
  useFake("nojni11");
  auto r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 16);
  EXPECT_THAT(r.out, HasSubstr("Error: Unable to locate JNI functions in loaded runtime library.\n"));
}

TEST_F(Launcher, JDK11RuntimeGetsItsRecord) {
  useFake("fake11");
  set("JAVA_HOME", "/jdk11/");
  set("KIVCLASSPATH1", "a.jar:");
  set("KIVPLUGINCLASSPATH1", "p.jar");
  set("FAKEJVM_RESULT", "7");
  auto r = kivjava({"-t", "probe.properties", "-v", "-ms2M", "-nojit", "-remotedebug", "-checkjni"});
  EXPECT_EQ(r.exitCode, 7) << r.out << r.err;
  // JAVA_HOME names no directory: the library came through the loader's search.
  EXPECT_THAT(r.out,
              HasSubstr("Loaded library '" + kFakes + "/fake11/libjavai.so' (found by the system's library search).\n"));
  auto files = kivtest::listDir(dir_);
  std::string traceName;
  for (const auto& f : files)
    if (f.rfind("TRC.", 0) == 0) traceName = f;
  EXPECT_THAT(record(), ElementsAre("GetDefaultJavaVMInitArgs version=00010001", "version=00010001",
                                    "property=KivJava.programfile=" KIVJAVA,
                                    "property=KivJava.propertyfile=probe.properties", "property=java.home=/jdk11",
                                    "property=KivJava.tracefile=" + traceName,
                                    "property=KivJava.verboseclassload=1", "property=java.compiler=",
                                    "classpath=a.jar:/jdk11/lib/classes.zip:p.jar", "minHeapSize=2097152",
                                    "maxHeapSize=134217728", "verbose=1", "hooks=exit,abort",
                                    "FindClass=com/zov/kiv/host/KivJava",
                                    "GetStaticMethodID=kiv_main([Ljava/lang/String;)I", "NewStringUTF=''",
                                    "FindClass=java/lang/String", "NewObjectArray=0", "DestroyJavaVM"));
  std::string trace = kivtest::readFile(dir_ + "/" + traceName);
  EXPECT_THAT(trace, HasSubstr("   InitArg Contents:\n"));
  EXPECT_THAT(trace, HasSubstr("   \tminHeapSize=2097152 (x200000)\n"));
  EXPECT_THAT(trace, HasSubstr("   \tclasspath(str)=a.jar:/jdk11/lib/classes.zip:p.jar\n"));
}

TEST_F(Launcher, JDK11HeapDefaults) {
  useFake("fake11");
  auto r = kivjava({"probe.properties", "-mx256M"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(record(), IsSupersetOf({"minHeapSize=1000000", "maxHeapSize=268435456", "classpath=(null)"}));
  EXPECT_THAT(r.out, HasSubstr("Warning: No classpath set.\n"));
}

TEST_F(Launcher, FailuresOfTheRuntime) {
  struct Case {
    const char* runtime;
    const char* step;
    const char* message;
  };
  for (const Case& c : {Case{"fake11", "defaults", "JVM Version not supported."},
                        Case{"fake13", "create", "Failed to create JVM."},
                        Case{"fake13", "exithook", "Failed to create JVM."},
                        Case{"fake13", "aborthook", "Failed to create JVM."},
                        Case{"fake11", "exithook", "Failed to create JVM."},
                        Case{"fake13", "plainexit", "Failed to create JVM."},
                        Case{"fake13", "class", "Could not load invocation class."},
                        Case{"fake13", "method", "Could not find main method."},
                        Case{"fake13", "string", "Could not create string for argument array."},
                        Case{"fake13", "array", "Could not create argument array."}}) {
    useFake(c.runtime);
    set("FAKEJVM_FAIL", c.step);
    auto r = kivjava({"probe.properties", "-t"});
    EXPECT_EQ(r.exitCode, 16) << c.step << "\n" << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr(std::string("Error: ") + c.message + "\nTerminating...\nFinishing trace...\n"))
        << c.step;
    EXPECT_THAT(r.out, Not(HasSubstr("kiv_main called"))) << c.step;
  }
}

// The launcher's own trace lines, in the order of the main flow, after the
// header and up to the footer.
TEST_F(Launcher, TraceLinesInTheOrderOfTheMainFlow) {
  useFake("fake13");
  set("JAVA_HOME", "/jdk");
  set("KIVCLASSPATH1", "a.jar:");
  auto r = kivjava({"-t", "probe.properties", "-recordcommands"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  std::string traceName;
  for (const auto& f : kivtest::listDir(dir_))
    if (f.rfind("TRC.", 0) == 0) traceName = f;
  std::vector<std::string> stamped;
  for (const std::string& line : kivtest::lines(kivtest::readFile(dir_ + "/" + traceName)))
    if (line.size() > 20 && line[2] == '/' && line.substr(17, 3) == "   ") stamped.push_back(line.substr(20));
  EXPECT_THAT(stamped,
              ElementsAre("PATH=/nonexistent", "JAVA_HOME=/jdk",
                          "Loaded library '" + kFakes + "/fake13/libjvm.so' (found by the system's library search).",
                          "KIVCLASSPATH1=a.jar:", "JavaVMOptions:", "\t-DKivJava.programfile=" KIVJAVA,
                          "\t-DKivJava.propertyfile=probe.properties", "\t-Djava.home=/jdk",
                          "\t-DKivJava.tracefile=" + traceName, "\t-DKivJava.recordcommands=1",
                          "\t-Djava.class.path=a.jar:/jdk/jre/lib/rt.jar:/jdk:/jdk:", "\texit", "\tabort",
                          "Creating JVM...", "Loading invocation class (com/zov/kiv/host/KivJava)...",
                          "Return code '0' from kiv_main"));
  EXPECT_THAT(kivtest::readFile(dir_ + "/" + traceName), ContainsRegex("from kiv_main\n\nTrace ended at .*\n\n$"));
}

TEST_F(Launcher, JavaHomeLosesOneTrailingSeparatorOnly) {
  useFake("fake13");
  set("JAVA_HOME", "/jdk//");
  set("KIVCLASSPATH1", "a.jar:");
  auto r = kivjava({"probe.properties"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(r.out, StartsWith("Specified JAVA_HOME is '/jdk/'\n"));
  EXPECT_THAT(record(), IsSupersetOf({"option=-Djava.home=/jdk/",
                                      "option=-Djava.class.path=a.jar:/jdk//jre/lib/rt.jar:/jdk/:/jdk/:"}));
}

// A runtime of JNI 21 or later warns about java.compiler and -Xdebug: it gets
// -Xint for both -nojit and -remotedebug, and the trace shows exactly that.
TEST_F(Launcher, RuntimeOfJni21GetsXintInsteadOfJavaCompiler) {
  useFake("fake13");
  set("FAKEJVM_JNI", "00150000");
  auto r = kivjava({"-t", "probe.properties", "-nojit", "-remotedebug"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  std::vector<std::string> options;
  for (const auto& line : record())
    if (line.rfind("option=", 0) == 0 && line.find("KivJava.") == std::string::npos) options.push_back(line.substr(7));
  EXPECT_THAT(options, ElementsAre("-Xint", "-Xint", "-Xrunjdwp:transport=dt_socket,server=y,address=7000", "exit",
                                   "abort"));
  std::string traceName;
  for (const auto& f : kivtest::listDir(dir_))
    if (f.rfind("TRC.", 0) == 0) traceName = f;
  std::string trace = kivtest::readFile(dir_ + "/" + traceName);
  EXPECT_THAT(trace, HasSubstr("   \t-Xint\n"));
  EXPECT_THAT(trace, Not(HasSubstr("java.compiler")));
  EXPECT_THAT(trace, Not(HasSubstr("-Xdebug")));

  set("FAKEJVM_JNI", "00140000");  // JNI 20: the options as they always were
  std::filesystem::remove(dir_ + "/record.txt");
  r = kivjava({"probe.properties", "-nojit", "-remotedebug"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  options.clear();
  for (const auto& line : record())
    if (line.rfind("option=", 0) == 0 && line.find("KivJava.") == std::string::npos) options.push_back(line.substr(7));
  EXPECT_THAT(options, ElementsAre("-Djava.compiler=NONE", "-Xint", "-Xdebug", "-Djava.compiler=NONE",
                                   "-Xrunjdwp:transport=dt_socket,server=y,address=7000", "exit", "abort"));
}

TEST_F(Launcher, JNI12RuntimeWithoutClassPathGetsNoBareClassPathOption) {
  useFake("fake13");
  auto r = kivjava({"probe.properties", "-remotedebug", "-checkjni"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_THAT(record(), IsSupersetOf({"version=00010002", "ignoreUnrecognized=0", "option=-Xcheck:jni",
                                      "option=-Xdebug", "option=-Djava.compiler=NONE",
                                      "option=-Xrunjdwp:transport=dt_socket,server=y,address=7000", "option=exit",
                                      "option=abort"}));
  for (const auto& line : record()) EXPECT_THAT(line, Not(HasSubstr("java.class.path"))) << line;
}

}  // namespace
