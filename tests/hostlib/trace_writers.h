// Lines that several writers append to one trace file at once, and the check
// that each arrived whole and none was lost. Line i of thread t of the writer
// `tag` is "tag.t.i:" + filler + ":tag.t.i", of a length from min to max that
// only t and i decide (the Java writer, com.zov.kiv.test.TraceWriters, makes
// the same text), so a line that was cut, glued to another or mixed with
// another's bytes matches no expected line.
#pragma once

#include <cstddef>
#include <map>
#include <regex>
#include <string>
#include <string_view>

namespace kivtest {

inline std::string writerLine(const std::string& tag, int thread, int index, std::size_t min, std::size_t max) {
  const std::string name = tag + "." + std::to_string(thread) + "." + std::to_string(index);
  const std::size_t length =
      min + (static_cast<std::size_t>(index) * 7919 + static_cast<std::size_t>(thread) * 104729) % (max - min + 1);
  std::string text = name + ":";
  text.append(length - 2 * name.size() - 2, static_cast<char>('a' + (thread + index) % 26));
  return text + ":" + name;
}

// What a trace file holds against what it should: every line must carry the
// time stamp and end in lineEnd ("\n", or "\r\n" on Windows), and its text
// must be one of the expected ones, each as often as expected.
struct TraceTally {
  std::map<std::string, int> expected;  // line text (no stamp, no line end) -> count
  std::size_t lines = 0;
  std::size_t whole = 0;
  std::string problems;  // the first few, for the failure message

  void expect(const std::string& text, int count = 1) { expected[text] += count; }

  // True when the file's text holds exactly the expected lines, whole.
  bool check(std::string_view file, std::string_view lineEnd) {
    static const std::regex stamp(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d   )");
    std::map<std::string, int> seen;
    int reported = 0;
    auto problem = [&](const std::string& what, std::string_view text) {
      if (++reported > 5) return;
      problems += what + " (" + std::to_string(text.size()) + " bytes): " +
                  std::string(text.substr(0, 60)) + (text.size() > 60 ? "..." : "") + "\n";
    };
    std::size_t at = 0;
    while (at < file.size()) {
      std::size_t end = file.find('\n', at);
      std::string_view line = file.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
      at = end == std::string_view::npos ? file.size() : end + 1;
      ++lines;
      if (end == std::string_view::npos) {
        problem("no line end", line);
        continue;
      }
      if (lineEnd.size() == 2) {
        if (line.empty() || line.back() != '\r') {
          problem("LF without CR", line);
          continue;
        }
        line.remove_suffix(1);
      }
      if (line.find('\r') != std::string_view::npos) {
        problem("CR inside", line);
        continue;
      }
      if (line.size() < 20 || !std::regex_match(line.begin(), line.begin() + 20, stamp)) {
        problem("no time stamp", line);
        continue;
      }
      std::string text(line.substr(20));
      auto it = expected.find(text);
      if (it == expected.end()) {
        problem("unexpected", text);
        continue;
      }
      if (++seen[text] > it->second) problem("repeated", text);
      ++whole;
    }
    for (const auto& [text, count] : expected) {
      if (seen[text] < count) problem("missing " + std::to_string(count - seen[text]) + " of", text);
    }
    if (reported > 5) problems += "... " + std::to_string(reported - 5) + " more\n";
    return reported == 0;
  }
};

}  // namespace kivtest
