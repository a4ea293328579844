// dravik_strings: prints Dravik's strings as the string tables of a built
// Dravik.exe hold them, in UTF-8, for the Wine tests to compare with.
//   dravik_strings <exe> <language id, hex> table
//       one "<id>=<text>" line per string, line ends written as "\n"
//   dravik_strings <exe> <language id, hex> message <id>[=<number>]...
//       the texts one after another, a "=<number>" filling the "%d"
//   dravik_strings <exe> list
//       the language ids of the tables, one "<hex> <locale> <code page>" line
//       each (locale and code page from the test's list)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "dravik.h"
#include "dravikmsg.h"
#include "languages.h"
#include "peres.h"

namespace {

int usage() {
  std::fputs("usage: dravik_strings <exe> list | <exe> <lang-hex> table | <exe> <lang-hex> message <id>[=<n>]... |"
             " expected <lang-hex>\n",
             stderr);
  return 2;
}

std::string escaped(const char* text) {
  std::string out;
  for (; *text; ++text) out += *text == '\n' ? std::string("\\n") : std::string(1, *text);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace dravik::test;
  if (argc < 3) return usage();
  if (std::string(argv[1]) == "expected" && argc == 3) {
    const auto id = static_cast<std::uint16_t>(std::strtoul(argv[2], nullptr, 16));
    for (const Language& l : kLanguages) {
      if (l.id != id) continue;
      std::printf("%u=%s\n%u=%s\n", IDS_DRAVIK_CAPTION, escaped(l.caption).c_str(), IDS_DRAVIK_WARN_TRAILER,
                  escaped(l.continueQuestion).c_str());
      return 0;
    }
    std::fprintf(stderr, "dravik_strings: no language %s in the list\n", argv[2]);
    return 1;
  }
  try {
    const PeImage image = readPeImage(argv[1]);
    const std::string mode = argv[2];
    if (mode == "list" && argc == 3) {
      for (const Language& l : kLanguages) {
        if (image.strings.count(l.id)) std::printf("%04x %s %s\n", l.id, l.locale, l.codePage);
      }
      return 0;
    }
    if (argc < 4) return usage();
    const auto table = image.strings.find(static_cast<std::uint16_t>(std::strtoul(argv[2], nullptr, 16)));
    if (table == image.strings.end()) {
      std::fprintf(stderr, "dravik_strings: no table for language %s\n", argv[2]);
      return 1;
    }
    const std::string what = argv[3];
    std::string out;
    if (what == "table" && argc == 4) {
      for (const auto& [id, text] : table->second) {
        out += std::to_string(id) + "=";
        for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
        out += '\n';
      }
    } else if (what == "message") {
      for (int i = 4; i < argc; ++i) {
        char* end = nullptr;
        const unsigned id = static_cast<unsigned>(std::strtoul(argv[i], &end, 10));
        const auto text = table->second.find(id);
        if (text == table->second.end()) {
          std::fprintf(stderr, "dravik_strings: no string %u\n", id);
          return 1;
        }
        out += *end == '=' ? dravik::formatNumber(text->second, std::atoi(end + 1)) : text->second;
      }
    } else {
      return usage();
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dravik_strings: %s\n", e.what());
    return 1;
  }
}
