#include "launch.h"

#include <gtest/gtest.h>

using vantor::launchCommand;
using vantor::navigatesBack;
using vantor::quotedProgramEnd;

namespace {

bool noLeadBytes(unsigned char) { return false; }
// A double-byte code page in which 0x81 starts a two-byte character.
bool lead81(unsigned char c) { return c == 0x81; }

const std::string kProgram = R"("C:\Program Files\Orlin\orlin.exe")";

TEST(LaunchCommand, KeepsTheQuotedProgramAndAppendsApp) {
  EXPECT_EQ(launchCommand(kProgram + R"( "%1")", "http://host/app.jnlp", noLeadBytes),
            kProgram + " http://host/app.jnlp");
  // whatever follows the program is dropped, also without a blank
  EXPECT_EQ(launchCommand(kProgram + R"(-x "%1" more)", "A", noLeadBytes), kProgram + " A");
  // text before the first quote is kept
  EXPECT_EQ(launchCommand(R"(start "x.exe" %1)", "A", noLeadBytes), R"(start "x.exe" A)");
}

TEST(LaunchCommand, AppIsAppendedUnchangedAndUnquoted) {
  EXPECT_EQ(launchCommand(kProgram, "a b  \"c\"", noLeadBytes), kProgram + " a b  \"c\"");
  EXPECT_EQ(launchCommand(kProgram, "", noLeadBytes), kProgram + " ");
}

TEST(LaunchCommand, NeedsTwoDoubleQuotes) {
  EXPECT_FALSE(launchCommand(R"(C:\orlin\orlin.exe %1)", "A", noLeadBytes));
  EXPECT_FALSE(launchCommand(R"("C:\orlin\orlin.exe %1)", "A", noLeadBytes));
  EXPECT_FALSE(launchCommand("", "A", noLeadBytes));
  EXPECT_EQ(quotedProgramEnd(R"(""x)", noLeadBytes), 2u);
}

TEST(LaunchCommand, ScansByCharactersOfTheCodePage) {
  // 0x81 0x22 is one character: its second byte does not close the quote
  const std::string value = "\"C:\\\x81\"dir\\p.exe\" \"%1\"";
  EXPECT_EQ(quotedProgramEnd(value, lead81), 16u);
  EXPECT_EQ(quotedProgramEnd(value, noLeadBytes), 6u);
  // a lead byte at the very end does not read past the value
  EXPECT_FALSE(quotedProgramEnd("\"abc\x81", lead81));
}

TEST(LaunchCommand, TheJoinedLineMustFitTheBuffer) {
  const std::string program = "\"p\"";
  const std::string fits(259 - program.size() - 1, 'a');  // 260 bytes with the terminator
  const auto line = launchCommand(program, fits, noLeadBytes);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->size(), 259u);
  EXPECT_FALSE(launchCommand(program, fits + "a", noLeadBytes));
  EXPECT_FALSE(launchCommand(program, std::string(100000, 'a'), noLeadBytes));
}

TEST(RegistryText, StopsAtTheFirstNulOrTheEnd) {
  const char withNul[] = {'a', 'b', '\0', 'c'};
  EXPECT_EQ(vantor::registryText(withNul, 4), "ab");
  const char noNul[] = {'a', 'b', 'c'};
  EXPECT_EQ(vantor::registryText(noNul, 3), "abc");
  EXPECT_EQ(vantor::registryText(noNul, 0), "");
}

TEST(NavigatesBack, OnlyFalseInAnyCaseOrClosingStopsIt) {
  EXPECT_TRUE(navigatesBack(std::nullopt, false));
  for (const char16_t* no : {u"false", u"FALSE", u"fAlSe"}) EXPECT_FALSE(navigatesBack(no, false));
  for (const char16_t* yes : {u"", u"true", u"false ", u" false", u"fals", u"falsee", u"0"})
    EXPECT_TRUE(navigatesBack(yes, false));
  EXPECT_FALSE(navigatesBack(std::nullopt, true));
  EXPECT_FALSE(navigatesBack(u"true", true));
  // no case folding beyond ASCII: a dotted capital I is not an i
  EXPECT_TRUE(navigatesBack(u"f\u0130lse", false));
}

}  // namespace
