// An in-memory system for the helper's logic: INI files, runtime keys,
// files, viewer table, processes and started programs.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "helper.h"

namespace orlin::test {

using State = RegText::State;

inline RegText text(std::string value) { return {State::Ok, std::move(value)}; }

struct FakeRuntime {
  std::string name;
  RegText home;
  RegText micro;
};

class FakeViewers;

class FakeOs : public HelperOs {
 public:
  // INI path -> key -> value
  std::map<std::string, std::map<std::string, std::string>> ini;
  bool iniWritable = true;
  bool runtimeKey = true;
  std::vector<FakeRuntime> runtimes;  // in index order
  std::set<std::string> files;        // regular files (javaw.exe and the like)
  std::vector<std::string> microReads;
  std::string windowsDir = "C:\\windows";
  std::set<std::string> lockedOpenable;  // files that open without sharing
  bool pendingRenames = false;
  bool navigator = true;
  bool viewersKey = true;
  // slot or type -> value; none: present but unreadable
  std::map<std::string, std::optional<std::string>> viewerValues;
  std::vector<std::string> processes;
  struct Run {
    std::string program, commandLine;
  };
  std::vector<Run> runs;
  std::int32_t exitCode = 0;
  std::vector<unsigned> sleeps;

  void addRuntime(const std::string& name, const std::string& home, RegText micro = {}) {
    runtimes.push_back({name, text(home), std::move(micro)});
    files.insert((home.empty() || home.back() != '\\' ? home + '\\' : home) + "bin\\javaw.exe");
  }

  std::string readProfile(const std::string& path, const char* key) override {
    auto f = ini.find(path);
    if (f == ini.end()) return {};
    auto k = f->second.find(key);
    return k == f->second.end() ? std::string() : k->second.substr(0, kMaxText);
  }
  bool writeProfile(const std::string& path, const char* key, const std::string& value) override {
    if (!iniWritable) return false;
    ini[path][key] = value;
    return true;
  }
  long readJreKey(const std::string& subkey, bool readMicro, JreKeyValues& out) override {
    if (!runtimeKey) return 2;
    for (const FakeRuntime& r : runtimes) {
      if (r.name != subkey) continue;
      if (readMicro) {
        out.micro = r.micro;
        microReads.push_back(subkey);
      }
      out.home = r.home;
      return 0;
    }
    return 2;
  }
  std::optional<std::vector<std::string>> jreSubkeys() override {
    if (!runtimeKey) return std::nullopt;
    std::vector<std::string> names;
    for (const FakeRuntime& r : runtimes) names.push_back(r.name);
    return names;
  }
  bool isRegularFile(const std::string& path) override { return files.count(path) != 0; }
  std::string windowsDirectory() override { return windowsDir; }
  bool canOpenExclusively(const std::string& path) override { return lockedOpenable.count(path) != 0; }
  bool hasPendingRenames() override { return pendingRenames; }
  std::unique_ptr<ViewerTable> openViewers(ViewerAccess access) override;
  bool enumerateProcesses(ProcessVisitor visitor, void* context) override {
    for (std::size_t i = 0; i < processes.size(); ++i) {
      if (!visitor(static_cast<std::uint32_t>(4 * i + 4), 0, processes[i].c_str(), context)) break;
    }
    return true;
  }
  std::int32_t runAndWait(const std::string& program, const std::string& commandLine) override {
    runs.push_back({program, commandLine});
    return exitCode;
  }
  void sleepMs(unsigned ms) override { sleeps.push_back(ms); }
};

class FakeViewers : public ViewerTable {
 public:
  explicit FakeViewers(FakeOs& os) : os_(os) {}
  std::optional<std::string> read(const std::string& name) override {
    auto v = os_.viewerValues.find(name);
    return v == os_.viewerValues.end() ? std::nullopt : v->second;
  }
  void write(const std::string& name, const std::string& value) override { os_.viewerValues[name] = value; }
  void remove(const std::string& slot, const std::string& type) override {
    os_.viewerValues.erase(slot);
    os_.viewerValues.erase(type);
  }

 private:
  FakeOs& os_;
};

inline std::unique_ptr<ViewerTable> FakeOs::openViewers(ViewerAccess access) {
  if (access == ViewerAccess::Register) {
    if (!navigator) return nullptr;
    viewersKey = true;
  }
  if (!viewersKey) return nullptr;
  return std::make_unique<FakeViewers>(*this);
}

// A fresh directory per test.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) / "orlinhelper" / (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeAll(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace orlin::test
