#include "launcher_fixture.h"
#include "kivmsg.h"

#include <climits>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

namespace {

TEST(Atoml, SuffixesAndWrapping) {
  EXPECT_EQ(kiv::atoml("64M"), 67108864);
  EXPECT_EQ(kiv::atoml("64m"), 67108864);
  EXPECT_EQ(kiv::atoml("64k"), 65536);
  EXPECT_EQ(kiv::atoml("64K"), 65536);
  EXPECT_EQ(kiv::atoml("64Mk"), 67108864) << "'M' wins over 'K'";
  EXPECT_EQ(kiv::atoml("64kM"), 67108864) << "'M' wins wherever it stands";
  EXPECT_EQ(kiv::atoml("500"), 500);
  EXPECT_EQ(kiv::atoml("1g"), 1) << "no known suffix: bytes";
  EXPECT_EQ(kiv::atoml("4096M"), 0) << "the 32-bit product wraps";
  EXPECT_EQ(kiv::atoml("3000M"), static_cast<int32_t>(3000u * 1048576u));
  EXPECT_EQ(kiv::atoml("  +12K"), 12288) << "leading blanks and a sign";
  EXPECT_EQ(kiv::atoml("-5m"), -5242880);
  EXPECT_EQ(kiv::atoml("abc"), 0);
  EXPECT_EQ(kiv::atoml(""), 0);
  EXPECT_EQ(kiv::atoml("99999999999999999999"), INT32_MAX) << "saturates as a 32-bit long does";
}

TEST(Testoption, ExactAndPrefix) {
  EXPECT_EQ(kiv::testoption("-t", "-t", 1), 1);
  EXPECT_EQ(kiv::testoption("-t", "-trace", 1), 0);
  EXPECT_EQ(kiv::testoption("-t", "-trace", 0), 1);
  EXPECT_EQ(kiv::testoption("-test", "-tes", 0), 0);
  EXPECT_EQ(kiv::testoption("-mx", "-mx64M", 0), 1);
  EXPECT_EQ(kiv::testoption(nullptr, "-t", 0), 0);
  EXPECT_EQ(kiv::testoption("-t", nullptr, 0), 0);
}

TEST(Strendswith, LastCharacterOnly) {
  EXPECT_EQ(kiv::strendswith("C:\\t\\", "\\"), 1);
  EXPECT_EQ(kiv::strendswith("a.jar;", ";"), 1);
  EXPECT_EQ(kiv::strendswith("a.jar", ";"), 0);
  EXPECT_EQ(kiv::strendswith("", ";"), 0);
  EXPECT_EQ(kiv::strendswith(nullptr, ";"), 0);
  EXPECT_EQ(kiv::strendswith("x;", nullptr), 0);
}

using Lists = LauncherTest;

TEST_F(Lists, OptionStringsAndTerminators) {
  kiv::addOptionToListOfJavaVMOptions("-Xcheck:jni", nullptr);
  kiv::addOptionToListOfJavaVMOptions("-Xmx", "64m");
  kiv::addOptionToListOfJavaVMOptions("a.b", "c d");
  kiv::addOptionToListOfJavaVMOptions(nullptr, "ignored");
  kiv::addOptionToListOfJavaVMOptions("java.class.path", "");
  EXPECT_THAT(vmOptionStrings(), ElementsAre("-Xcheck:jni", "-Xmx64m", "-Da.b=c d", "-Djava.class.path="));

  kiv::addPropertyToListOfJDK11Properties("a", "1");
  kiv::addPropertyToListOfJDK11Properties("b", nullptr);
  kiv::addPropertyToListOfJDK11Properties(nullptr, "2");
  kiv::addPropertyToListOfJDK11Properties("java.compiler", "");
  auto props = kiv::terminatedJava11Properties();
  ASSERT_EQ(props.size(), 3u);
  EXPECT_STREQ(props[0], "a=1");
  EXPECT_STREQ(props[1], "java.compiler=");
  EXPECT_EQ(props[2], nullptr);

  kiv::addOptionToListOfCommandLineOptions(nullptr);
  kiv::addOptionToListOfCommandLineOptions("-t");
  EXPECT_THAT(kiv::commandLineOptions, ElementsAre("-t"));
}

TEST_F(Lists, GrowOneEntryAtATimeAndKeepOrder) {
  for (int i = 0; i < 1000; ++i) kiv::addPropertyToListOfJDK11Properties("p", std::to_string(i).c_str());
  auto props = kiv::terminatedJava11Properties();
  ASSERT_EQ(props.size(), 1001u);
  EXPECT_STREQ(props[0], "p=0");
  EXPECT_STREQ(props[999], "p=999");
  EXPECT_EQ(props[1000], nullptr);
}

using Environment = LauncherTest;

TEST_F(Environment, EmptyCountsAsUnset) {
  env()["EMPTY"] = "";
  EXPECT_EQ(kiv::getEnvvar("EMPTY"), nullptr);
  env()["KIVCLASSPATH1"] = "";
  env()["KIVCLASSPATH2"] = "b.jar;";
  EXPECT_FALSE(kiv::getAndConcatenateEnvvar("KIVCLASSPATH"));
}

TEST_F(Environment, NumberedVariablesStopAtTheFirstGap) {
  env()["KIVCLASSPATH1"] = "a.jar;";
  env()["KIVCLASSPATH3"] = "c.jar;";
  EXPECT_EQ(kiv::getAndConcatenateEnvvar("KIVCLASSPATH"), "a.jar;");
  env()["KIVCLASSPATH2"] = "b.jar";
  EXPECT_EQ(kiv::getAndConcatenateEnvvar("KIVCLASSPATH"), "a.jar;b.jarc.jar;") << "no separator is added";
  EXPECT_FALSE(kiv::getAndConcatenateEnvvar("NOSUCH"));
}

TEST_F(Environment, JoiningRoomGrowsByValuePlus257) {
  size_t room = 0;
  env()["V1"] = std::string(200, 'a');
  EXPECT_EQ(kiv::getAndConcatenateEnvvar("V", &room)->size(), 200u);
  EXPECT_EQ(room, 256u);
  env()["V2"] = std::string(100, 'b');
  EXPECT_EQ(kiv::getAndConcatenateEnvvar("V", &room)->size(), 300u);
  EXPECT_EQ(room, 256u + 100 + 257);
  env().clear();
  env()["W1"] = std::string(256, 'c');  // reaching the room counts
  EXPECT_EQ(kiv::getAndConcatenateEnvvar("W", &room)->size(), 256u);
  EXPECT_EQ(room, 256u + 256 + 257);
}

TEST_F(Environment, VeryLongValuesAreKeptWhole) {
  for (int i = 1; i <= 50; ++i) env()["L" + std::to_string(i)] = std::string(10000, static_cast<char>('a' + i % 26));
  auto joined = kiv::getAndConcatenateEnvvar("L");
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->size(), 500000u);
}

using ParseArgs = LauncherTest;

TEST_F(ParseArgs, HelpNeedsNoPropertyFile) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "-help"}), 16);
  std::string out = captured();
  EXPECT_EQ(out,
            "Usage: kivjava [options] property_file [trace_file_path]\n"
            "\n"
            "Property file:\n"
            "    containing the input properties\n"
            "Trace file path:\n"
            "    optional path for trace output file for native routines\n"
            "Options:\n"
            "    -h, -help, -?     print this help message\n"
            "    -t, -trace        turn on trace mode\n"
            "    -v, -verbose      turn on verbose mode for classes and JNI\n"
            "    -ms<number>       set the initial Java heap size (in k or M)\n"
            "    -mx<number>       set the maximum Java heap size (in k or M)\n"
            "    -nojit            disable JIT compiler\n"
            "    -debug            use debug JVM (java_g)\n"
            "    -checkjni         extended checks for JNI\n"
            "    -remotedebug      start JVM listening on port 7000 for remote debugging\n"
            "    -recordcommands   record all output from console and TSO commands,\n"
            "                      utilities (output file is: kivjava.utility.output)\n");
  EXPECT_THAT(out, HasSubstr("Usage: kivjava [options] property_file [trace_file_path]\n"));
  for (const char* h : {"-?", "-h"}) {
    kiv::resetLauncherState();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(parse({"prog", h}), 16);
    EXPECT_THAT(captured(), HasSubstr("Usage: prog "));
  }
}

TEST_F(ParseArgs, VersionPrintsTheBanner) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "-version"}), 16);
  EXPECT_THAT(captured(), ::testing::MatchesRegex("Hollarin, Version 1\\.4\nInvocation Class Loader "
                                                  "\\([A-Z][a-z][a-z] [ 1-3][0-9] [0-9]{4} "
                                                  "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\)\n\n"));
}

TEST_F(ParseArgs, PositionalArguments) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "a.props", "trc", "third", "-help"}), 16);
  EXPECT_EQ(captured(), "Error: Too many parameters.\nTerminating...\n") << "reported before -help is seen";

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava"}), 16);
  EXPECT_EQ(captured(), "Error: At least a property file name must be specified.\nTerminating...\n");

  kiv::resetLauncherState();
  EXPECT_EQ(parse({"kivjava", "-t", "a.props", "-nojit", "trc"}), -1);
  EXPECT_EQ(kiv::tracefilepath, "trc");
  EXPECT_THAT(kiv::commandLineOptions, ElementsAre("-t", "-nojit"));
  EXPECT_THAT(kiv::java11Properties,
              ElementsAre("KivJava.programfile=kivjava", "KivJava.propertyfile=a.props"));
  EXPECT_THAT(vmOptionStrings(), ElementsAre("-DKivJava.programfile=kivjava", "-DKivJava.propertyfile=a.props"));
}

TEST_F(ParseArgs, EnvparmsTakesEverythingFromTheEnvironment) {
  env()["KIVPROPERTIES"] = "env.props";
  env()["KIVOPTIONS"] = "  -t   -nojit ";
  EXPECT_EQ(parse({"kivjava", "-envparms", "ignored.props", "-verbose", "x", "y"}), -1);
  EXPECT_THAT(kiv::commandLineOptions, ElementsAre("-t", "-nojit"));
  EXPECT_THAT(kiv::java11Properties, ElementsAre("KivJava.programfile=kivjava", "KivJava.propertyfile=env.props"));
  EXPECT_FALSE(kiv::tracefilepath);
  EXPECT_EQ(kiv::traceOptionSpecified, 1);

  kiv::resetLauncherState();
  env().clear();
  env()["KIVTRACEPATH"] = "traces";
  env()["KIVOPTIONS"] = "nodash";
  EXPECT_EQ(parse({"kivjava", "-envparms"}), -1) << "the trace path alone is enough";
  EXPECT_EQ(kiv::tracefilepath, "traces");
  EXPECT_THAT(kiv::commandLineOptions, ElementsAre("nodash"));

  kiv::resetLauncherState();
  env().clear();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "-envparms", "a.props"}), 16);
  EXPECT_THAT(captured(), HasSubstr("At least a property file name must be specified."));
}

TEST_F(ParseArgs, MountPointAndItsMessage) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "p", "-test/u/work"}), -1);
  EXPECT_EQ(kiv::mountpoint, "//u/work");
  EXPECT_EQ(kiv::testOptionSpecified, 1);
  EXPECT_EQ(captured(), "");

  kiv::resetLauncherState();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "p", "-t", "-testX"}), -1);
  EXPECT_EQ(captured(), "Mountpoint for KIV defined: '/X'\n");

  kiv::resetLauncherState();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "p", "-testX", "-t"}), -1);
  EXPECT_EQ(captured(), "") << "-t after -testX: no message";

  kiv::resetLauncherState();
  EXPECT_EQ(parse({"kivjava", "p", "-test", "-debug", "-remotedebug"}), -1);
  EXPECT_EQ(kiv::mountpoint, "");
  EXPECT_EQ(kiv::loadJavaDebugVM, 1);
  EXPECT_EQ(kiv::remoteDebugging, 1);
}

TEST_F(ParseArgs, OptionsBeforeHelpHaveTakenEffect) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(parse({"kivjava", "-t", "-debug", "-help", "-remotedebug"}), 16);
  captured();
  EXPECT_EQ(kiv::traceOptionSpecified, 1);
  EXPECT_EQ(kiv::loadJavaDebugVM, 1);
  EXPECT_EQ(kiv::remoteDebugging, 0);
}

using OptionPass2 = LauncherTest;

TEST_F(OptionPass2, SettingsInOptionOrder) {
  ASSERT_EQ(parse({"kivjava", "p", "-recordcommands", "-nojit", "-v", "-checkjni", "-tanything", "-trace",
                   "-test", "-debug", "-remotedebug"}),
            -1);
  JDK1_1InitArgs args{};
  EXPECT_EQ(pass2(&args), -1);
  EXPECT_EQ(args.verbose, 1);
  EXPECT_THAT(kiv::java11Properties,
              ElementsAre("KivJava.programfile=kivjava", "KivJava.propertyfile=p", "KivJava.recordcommands=1",
                          "java.compiler=", "KivJava.verboseclassload=1"));
  EXPECT_THAT(vmOptionStrings(),
              ElementsAre("-DKivJava.programfile=kivjava", "-DKivJava.propertyfile=p", "-DKivJava.recordcommands=1",
                          "-Djava.compiler=NONE", "-Xint", "-verbose:class", "-verbose:jni",
                          "-DKivJava.verboseclassload=1", "-Xcheck:jni"));
}

TEST_F(OptionPass2, HeapSizes) {
  ASSERT_EQ(parse({"kivjava", "p", "-ms4M", "-mx64M"}), -1);
  EXPECT_EQ(pass2(), -1);
  EXPECT_EQ(kiv::specifiedInitialHeapSize, 4194304);
  EXPECT_EQ(kiv::specifiedMaxHeapSize, 67108864);
  EXPECT_TRUE(kiv::initialHeapSizeSpecified);
  EXPECT_TRUE(kiv::maxHeapSizeSpecified);

  struct Case {
    const char* option;
    int32_t expected;
    bool counts;
  };
  for (const Case& c : {Case{"-mx64k", 65536, true}, Case{"-s256M", 268435456, true}, Case{"-mx500", 7, false},
                        Case{"-mx1g", 7, false}, Case{"-mx4096M", 7, false}, Case{"-mx3000M", 7, false},
                        Case{"-mx1000", 1000, true}, Case{"-mx999", 7, false}, Case{"-s999", 7, false},
                        Case{"-s1000", 1000, true}}) {
    kiv::resetLauncherState();
    kiv::specifiedMaxHeapSize = 7;
    ASSERT_EQ(parse({"kivjava", "p", c.option}), -1);
    EXPECT_EQ(pass2(), -1);
    EXPECT_EQ(kiv::specifiedMaxHeapSize, c.expected) << c.option;
    EXPECT_EQ(kiv::maxHeapSizeSpecified, c.counts) << c.option;
  }
  // The initial size has the same bound: above 999 bytes.
  for (const Case& c : {Case{"-ms999", 7, false}, Case{"-ms1000", 1000, true}}) {
    kiv::resetLauncherState();
    kiv::specifiedInitialHeapSize = 7;
    ASSERT_EQ(parse({"kivjava", "p", c.option}), -1);
    EXPECT_EQ(pass2(), -1);
    EXPECT_EQ(kiv::specifiedInitialHeapSize, c.expected) << c.option;
    EXPECT_EQ(kiv::initialHeapSizeSpecified, c.counts) << c.option;
  }
}

TEST_F(OptionPass2, IllegalOptionStopsTheLauncher) {
  ASSERT_EQ(parse({"kivjava", "p", "-x"}), -1) << "pass 1 ignores unknown options";
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(pass2(), 16);
  EXPECT_EQ(captured(), "Error: Illegal option '-x'\nTerminating...\n");
}

TEST_F(OptionPass2, VeryLongIllegalOptionIsCutToTheMessageBuffer) {
  std::string option = "-" + std::string(5000, 'z');
  ASSERT_EQ(parse({"kivjava", "p", option.c_str()}), -1);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(pass2(), 16);
  std::string out = captured();
  std::string message = out.substr(7, out.find('\n') - 7);  // after "Error: "
  EXPECT_EQ(message.size(), 255u);  // the 256-byte message buffer
  EXPECT_EQ(message.substr(0, 17), "Illegal option '-");
}

using ErrorExit = LauncherTest;

TEST_F(ErrorExit, NullMessageEndsSilently) {
  ::testing::internal::CaptureStdout();
  try {
    kiv::error(nullptr);
    FAIL() << "error returned";
  } catch (const ExitCalled& e) {
    EXPECT_EQ(e.code, 16);
  }
  EXPECT_EQ(captured(), "");
}

}  // namespace
