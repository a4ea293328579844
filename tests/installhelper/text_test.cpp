// The helper's text rules: function numbers, path joins, version rules,
// the debug switch and process names.
#include <gtest/gtest.h>

#include "helper.h"

namespace orlin {
namespace {

TEST(FunctionNumber, ReadsLikeAtoi) {
  EXPECT_EQ(parseFunctionNumber("6"), 6);
  EXPECT_EQ(parseFunctionNumber("  \t+3"), 3);
  EXPECT_EQ(parseFunctionNumber("-2"), -2);
  EXPECT_EQ(parseFunctionNumber("4abc"), 4);
  EXPECT_EQ(parseFunctionNumber("abc"), 0);
  EXPECT_EQ(parseFunctionNumber(""), 0);
  EXPECT_EQ(parseFunctionNumber("+-1"), 0);
  EXPECT_EQ(parseFunctionNumber("99999999999999999999"), 2147483647);
  EXPECT_EQ(parseFunctionNumber("-99999999999999999999"), -2147483647);
}

TEST(JoinPath, OneBackslashBetweenAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(joinPath("C:\\tmp", "jre.iss"), "C:\\tmp\\jre.iss");
  EXPECT_EQ(joinPath("C:\\tmp\\", "jre.iss"), "C:\\tmp\\jre.iss");
  EXPECT_EQ(joinPath("", "orlin.exe"), "\\orlin.exe");
  std::string dir(259 - 10, 'd');  // + "\orlin.exe" = 259 characters
  EXPECT_EQ(joinPath(dir, "orlin.exe")->size(), 259u);
  EXPECT_FALSE(joinPath(dir + "d", "orlin.exe"));
}

TEST(SupportedVersion, FromOneTwoTwoOn) {
  for (const char* yes : {"1.2.2", "1.2.10", "1.3", "1.3.1", "1.10", "2", "10.0", "1_2_2", "1.4.0_01"}) {
    EXPECT_TRUE(isSupportedJreVersion(yes)) << yes;
  }
  for (const char* no : {"", "1", "1.", "1.2", "1.2.", "1.2.1", "1.1.8", "1.2.x", "0.9", ".5", "abc", "1.0.5"}) {
    EXPECT_FALSE(isSupportedJreVersion(no)) << no;
  }
  EXPECT_TRUE(isSupportedJreVersion("1.2.99999999999999999999"));
}

TEST(DebugSwitch, AnyValueAnyCase) {
  EXPECT_TRUE(definesVariable({"PATH=x", "ORLIN_INSTALLER_DEBUG=1"}, "ORLIN_INSTALLER_DEBUG"));
  EXPECT_TRUE(definesVariable({"orlin_installer_debug="}, "ORLIN_INSTALLER_DEBUG"));
  EXPECT_FALSE(definesVariable({"ORLIN_INSTALLER_DEBUGX=1", "ORLIN_INSTALLER_DEBU=1"}, "ORLIN_INSTALLER_DEBUG"));
  EXPECT_FALSE(definesVariable({"=C:=C:\\", "PATH=ORLIN_INSTALLER_DEBUG="}, "ORLIN_INSTALLER_DEBUG"));
  EXPECT_FALSE(definesVariable({}, "ORLIN_INSTALLER_DEBUG"));
}

TEST(ProcessNames, BrowserNeedsAFullPath) {
  EXPECT_TRUE(isBrowserFile("C:\\Program Files\\Netscape\\NETSCAPE.EXE"));
  EXPECT_TRUE(isBrowserFile("C:\\n\\netscape.exe"));
  EXPECT_FALSE(isBrowserFile("netscape.exe"));
  EXPECT_FALSE(isBrowserFile("C:\\n\\netscape.exe.bak"));
  EXPECT_FALSE(isBrowserFile("C:\\n\\mynetscape.exe"));
  EXPECT_FALSE(isBrowserFile(""));
  EXPECT_FALSE(isBrowserFile(nullptr));
}

TEST(ProcessNames, DosMachineBySuffix) {
  EXPECT_TRUE(isDosMachine("C:\\WINNT\\system32\\ntvdm.exe"));
  EXPECT_TRUE(isDosMachine("NTVDM.EXE"));
  EXPECT_FALSE(isDosMachine("TVDM.EXE"));
  EXPECT_FALSE(isDosMachine("C:\\ntvdm.exe2"));
  EXPECT_FALSE(isDosMachine(""));
}

}  // namespace
}  // namespace orlin
