// Runs a program for the end-to-end tests and collects what it printed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kivtest {

struct RunResult {
  int exitCode = -1;  // exit status; 128 + signal number for a signal
  std::string out;
  std::string err;
};

struct RunOptions {
  // Variables to set (a value) or remove (nullopt) in the child's environment.
  std::map<std::string, std::optional<std::string>> env;
  std::string cwd;                  // empty: the test's own
  std::optional<std::string> input; // standard input; none: /dev/null
  bool clearEnv = false;            // start from an empty environment
  int timeoutSeconds = 120;         // then the child is killed (exit code 128 + 9)
};

RunResult run(const std::vector<std::string>& argv, const RunOptions& options = {});

// A fresh, empty directory under the system's temporary directory.
std::string makeTempDir(const std::string& tag);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
// The names of the files in a directory, sorted.
std::vector<std::string> listDir(const std::string& dir);
// Lines of text, without their line ends.
std::vector<std::string> lines(const std::string& text);

}  // namespace kivtest
