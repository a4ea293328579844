// libFuzzer target for the launcher's command line and environment: the
// input is lines; "NAME=value" lines starting with KIV or CLASSPATH are
// environment variables, every other line is one argument.
#include "kivjava.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Exited {};

std::map<std::string, std::string> fuzzEnv;

const char* lookup(const char* name) {
  auto it = fuzzEnv.find(name);
  return it == fuzzEnv.end() ? nullptr : it->second.c_str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Usage texts and error messages go nowhere.
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  kiv::envLookup = lookup;
  kiv::exitProcess = [](int) { throw Exited{}; };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kiv::resetLauncherState();
  fuzzEnv.clear();
  std::vector<std::string> args{"kivjava"};
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    size_t eq = line.find('=');
    if ((line.rfind("KIV", 0) == 0 || line.rfind("CLASSPATH", 0) == 0) && eq != std::string::npos)
      fuzzEnv[line.substr(0, eq)] = line.substr(eq + 1);
    else
      args.push_back(line);
    pos = end + 1;
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  try {
    kiv::parseArgs(static_cast<int>(args.size()), argv.data());
    JDK1_1InitArgs initArgs{};
    kiv::testallopts2(&initArgs);
  } catch (const Exited&) {
  }
  (void)kiv::getAndConcatenateEnvvar("KIVCLASSPATH");
  for (const auto& a : args) {
    (void)kiv::atoml(a.c_str());
    (void)kiv::strendswith(a.c_str(), ";");
  }
  return 0;
}
