// Bytes from outside Java made into the modified UTF-8 the VM takes: the
// expected bytes are written out by hand.
#include "kivtext.h"

#include <gtest/gtest.h>

#include <string>

namespace ku = kiv::utils;

namespace {

TEST(Text, ValidModifiedUtf8StaysAsItIs) {
  for (const std::string& s : {std::string("plain ASCII\n"), std::string("\xC3\xA9t\xC3\xA9"),  // é t é
                              std::string("\xE2\x82\xAC"),                                      // €
                              std::string("\xC0\x80"),                                          // NUL
                              std::string("\xED\xA0\xBD\xED\xB8\x80"),                          // surrogate pair
                              std::string("\xED\xB0\x80"),                                      // lone low surrogate
                              std::string("\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"), std::string()}) {
    EXPECT_TRUE(ku::isModifiedUtf8(s)) << s;
    EXPECT_EQ(ku::toModifiedUtf8(s), s);
  }
}

TEST(Text, OtherBytesBecomeTheirOwnCharacters) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"25\xB0" "C", "25\xC2\xB0" "C"},                          // Latin-1 degree sign
      {"\xFF\x80", "\xC3\xBF\xC2\x80"},                          // any byte from 0x80 up
      {"x\xE2\x82", "x\xC3\xA2\xC2\x82"},                        // cut three-byte sequence
      {"\xC3", "\xC3\x83"},                                      // cut at the very end
      {"\xC1\x81", "\xC3\x81\xC2\x81"},                          // overlong 'A'
      {"\xE0\x81\x81", "\xC3\xA0\xC2\x81\xC2\x81"},              // overlong three bytes
      {"\xC0\x81", "\xC3\x80\xC2\x81"},                          // C0 with anything but 80
      {std::string("a\0b", 3), "a\xC0\x80" "b"},                 // a NUL byte
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // beyond U+10FFFF
      {"\xF0\x8F\xBF\xBF", "\xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF"},  // overlong four bytes
      {"\xF8\x88\x80\x80\x80", "\xC3\xB8\xC2\x88\xC2\x80\xC2\x80\xC2\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ku::isModifiedUtf8(c.in)) << c.in;
    EXPECT_EQ(ku::toModifiedUtf8(c.in), c.out) << c.in;
  }
}

TEST(Text, FourByteUtf8BecomesASurrogatePair) {
  // U+1F600: D83D DE00, each surrogate in three bytes.
  EXPECT_EQ(ku::toModifiedUtf8("a\xF0\x9F\x98\x80" "b"), "a\xED\xA0\xBD\xED\xB8\x80" "b");
  // U+10000 and U+10FFFF, the ends of the range.
  EXPECT_EQ(ku::toModifiedUtf8("\xF0\x90\x80\x80"), "\xED\xA0\x80\xED\xB0\x80");
  EXPECT_EQ(ku::toModifiedUtf8("\xF4\x8F\xBF\xBF"), "\xED\xAF\xBF\xED\xBF\xBF");
  // Cut short: each byte stands for itself.
  EXPECT_EQ(ku::toModifiedUtf8("\xF0\x9F\x98"), "\xC3\xB0\xC2\x9F\xC2\x98");
}

TEST(Text, PrefixNeverSplitsACharacter) {
  EXPECT_EQ(ku::utf8Prefix("ABCDEFGHIJ", 8), 8u);
  EXPECT_EQ(ku::utf8Prefix("ABCDEFG\xC3\xA9", 8), 7u);        // é would need bytes 8 and 9
  EXPECT_EQ(ku::utf8Prefix("ABCDEF\xC3\xA9", 8), 8u);         // it fits
  EXPECT_EQ(ku::utf8Prefix("ABCDE\xE2\x82\xAC" "X", 8), 8u);  // € fits exactly
  EXPECT_EQ(ku::utf8Prefix("ABCDEF\xE2\x82\xAC", 8), 6u);
  EXPECT_EQ(ku::utf8Prefix("ABCDE\xF0\x9F\x98\x80", 8), 5u);
  EXPECT_EQ(ku::utf8Prefix("ABCDEFG\xB0\xB1", 8), 8u);  // Latin-1 bytes are characters of their own
  EXPECT_EQ(ku::utf8Prefix("AB", 8), 2u);
}

}  // namespace
