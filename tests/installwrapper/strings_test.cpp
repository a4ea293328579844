// The string tables of the built Dravik.exe (the 32-bit deliverable): the
// program's format, every language complete, the English texts exact, and
// each translation keeping the placeholder, the product name and the line
// structure of the English text, in characters its code page can hold.
#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <set>
#include <vector>

#include "dravikmsg.h"
#include "english.h"
#include "languages.h"
#include "peres.h"

namespace dravik::test {
namespace {

const std::string kDeliverables = KIV_DELIVERABLES_DIR;

class DravikExe : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kDeliverables.empty()) GTEST_SKIP() << "no 32-bit deliverables (KIV_DELIVERABLES_DIR)";
    ASSERT_NO_THROW(image_ = readPeImage(kDeliverables + "/installwrapper/Dravik.exe"));
  }
  PeImage image_;
};

// Empty-or-not of each line: the shape of the line breaks and blank lines.
std::vector<bool> lineShape(const std::string& text) {
  std::vector<bool> shape;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    shape.push_back(text.substr(start, end - start).empty());
    if (end == std::string::npos) return shape;
    start = end + 1;
  }
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The length of `text` in `codePage`, as LoadStringA hands it out; nothing
// when a character has no place in that code page.
std::optional<std::size_t> ansiLength(const std::string& text, const char* codePage) {
  iconv_t cd = iconv_open(codePage, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv knows no " << codePage;
    return std::nullopt;
  }
  std::string in = text;
  std::vector<char> out(text.size() * 4 + 4);
  char* inp = in.data();
  char* outp = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
  iconv_close(cd);
  // r > 0 would count irreversible conversions: those fail too.
  if (r != 0 || inLeft != 0) return std::nullopt;
  return out.size() - outLeft;
}

TEST_F(DravikExe, IsA32BitGuiProgram) {
  EXPECT_EQ(image_.magic, 0x10b) << "not PE32";
  EXPECT_EQ(image_.machine, 0x14c) << "not i386";
  EXPECT_EQ(image_.subsystem, 2) << "not a Windows GUI program";
}

TEST_F(DravikExe, HoldsExactlyTheEighteenTables) {
  std::set<std::uint16_t> expected, present;
  for (const Language& l : kLanguages) expected.insert(l.id);
  for (const auto& table : image_.strings) present.insert(table.first);
  EXPECT_EQ(present, expected);
  EXPECT_EQ(expected.size(), 18u);
}

TEST_F(DravikExe, EveryTableHoldsTheTenStrings) {
  for (const Language& l : kLanguages) {
    SCOPED_TRACE(l.name);
    const auto& table = image_.strings[l.id];
    std::set<unsigned> ids;
    for (const auto& [id, text] : table) {
      ids.insert(id);
      EXPECT_FALSE(text.empty()) << id;
    }
    std::set<unsigned> expected;
    for (const auto& e : englishTexts()) expected.insert(e.first);
    EXPECT_EQ(ids, expected);
  }
}

TEST_F(DravikExe, EnglishTextsAreExact) {
  EXPECT_EQ(image_.strings[kEnglishUs], englishTexts());
}

// Each table is its language's own: two tables swapped (also two of one code
// page) show in their caption and their question.
TEST_F(DravikExe, EachTableIsItsLanguage) {
  for (const Language& l : kLanguages) {
    SCOPED_TRACE(l.name);
    EXPECT_EQ(image_.strings[l.id][IDS_DRAVIK_CAPTION], l.caption);
    EXPECT_EQ(image_.strings[l.id][IDS_DRAVIK_WARN_TRAILER], l.continueQuestion);
  }
}

TEST_F(DravikExe, TranslationsKeepPlaceholderNameAndLines) {
  for (const Language& l : kLanguages) {
    for (const auto& [id, english] : englishTexts()) {
      SCOPED_TRACE(std::string(l.name) + " " + std::to_string(id));
      const std::string& text = image_.strings[l.id][id];
      EXPECT_EQ(lineShape(text), lineShape(english)) << text;
      EXPECT_EQ(count(text, "Java(TM)"), count(english, "Java(TM)")) << text;
      EXPECT_EQ(count(text, "%"), count(english, "%")) << text;
      EXPECT_EQ(count(text, "%d"), count(english, "%d")) << text;
      EXPECT_EQ(text.rfind("* ", 0) == 0, english.rfind("* ", 0) == 0) << text;
      if (id == IDS_DRAVIK_OS) {
        for (const char* system : {"Windows NT 4.0", "Windows 2000", "\nWindows 98\nWindows ME\nWindows XP\n\n"}) {
          EXPECT_NE(text.find(system), std::string::npos) << system;
        }
      }
      if (l.id != kEnglishUs) EXPECT_NE(text, english) << "not translated";
    }
  }
}

// Every character has a place in the language's ANSI code page, and the text
// fits the buffer it is loaded into (1024 characters, 256 for the format).
TEST_F(DravikExe, TranslationsFitTheirCodePageAndBuffer) {
  for (const Language& l : kLanguages) {
    for (const auto& [id, text] : image_.strings[l.id]) {
      SCOPED_TRACE(std::string(l.name) + " " + std::to_string(id) + " in " + l.codePage);
      const auto length = ansiLength(text, l.codePage);
      ASSERT_TRUE(length.has_value()) << text;
      EXPECT_LT(*length, id == IDS_DRAVIK_SERVICE_PACK ? 256u : 1024u) << text;
    }
  }
}

}  // namespace
}  // namespace dravik::test
