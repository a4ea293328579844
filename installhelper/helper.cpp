// The helper's numbered functions and their dispatch.
#include "helper.h"
#include "helpermsg.h"

namespace orlin {
namespace {

// Debug text for a path that was refused, with the text that made it too long.
void reportRefused(const Console& console, std::string_view what) {
  console.debugPrint(msg::kPathTooLong);
  console.debugPrint(what);
  console.debugPrint(msg::kLineEnd);
}

// Debug text for a file name that was refused because its directory is empty
// (the file would land in the root of the current drive).
void reportEmptyDirectory(const Console& console, std::string_view name) {
  console.debugPrint(msg::kEmptyDirectory);
  console.debugPrint(name);
  console.debugPrint(msg::kLineEnd);
}

// A join of a directory that is not empty with a file name, which must fit a
// path buffer; says so on the debug output when not.
std::optional<std::string> joinChecked(const Console& console, std::string_view dir, std::string_view name) {
  if (dir.empty()) {
    reportEmptyDirectory(console, name);
    return std::nullopt;
  }
  auto path = joinPath(dir, name);
  if (!path) reportRefused(console, dir);
  return path;
}

std::string format(const char* pattern, const std::string& a, const std::string& b, const std::string& c,
                   const std::string& d, const std::string& e) {
  int size = std::snprintf(nullptr, 0, pattern, a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str());
  if (size < 0) return {};
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), pattern, a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str());
  text.pop_back();
  return text;
}

// Function 1: the home directory of runtime jreVersion into jrePath.
int resolveJrePath(HelperOs& os, const Console& console, const std::string& ini) {
  auto home = findJre(os, os.readProfile(ini, msg::kKeyJreVersion), true);
  if (!home) return 1;
  if (!os.writeProfile(ini, msg::kKeyJrePath, *home)) {
    // The script must not go on believing that jrePath holds the runtime.
    console.debugPrint(msg::kIniNotWritten);
    console.debugPrint(ini);
    console.debugPrint(msg::kLineEnd);
    return 1;
  }
  return 0;
}

// Function 2: the runtime installer's response file from tempDir\jre.iss.
int prepareResponseFile(HelperOs& os, const Console& console, const std::string& ini) {
  std::string jrePath = os.readProfile(ini, msg::kKeyJrePath);
  std::string install = os.readProfile(ini, msg::kKeyInstallJre);
  if (install.empty() || install == msg::kInstallJreNo) return 0;
  if (jrePath.empty()) return 0;
  auto templatePath = joinChecked(console, os.readProfile(ini, msg::kKeyTempDir), msg::kResponseTemplate);
  if (!templatePath) return 1;
  return makeResponseFile(*templatePath, jrePath) == 0 ? 0 : 1;
}

// Function 4: Navigator's viewer entry and orlin.cfg in targetDir.
int registerLauncher(HelperOs& os, const Console& console, const std::string& ini) {
  std::string jrePath = os.readProfile(ini, msg::kKeyJrePath);
  std::string targetDir = os.readProfile(ini, msg::kKeyTargetDir);
  auto launcher = joinChecked(console, targetDir, msg::kLauncher);
  auto config = joinChecked(console, targetDir, msg::kLauncherConfig);
  // Neither a cut launcher path nor a configuration file in the wrong place.
  if (!launcher || !config) return 1;
  registerJnlpViewer(os, *launcher);
  writeLauncherConfig(os, *config, os.readProfile(ini, msg::kKeyJreVersion), jrePath);
  return 0;
}

}  // namespace

std::optional<std::string> runJreInstaller(HelperOs& os, const Console& console, const std::string& jreDir,
                                           const std::string& workDir) {
  if (jreDir.size() > kMaxText) {
    reportRefused(console, jreDir);
    return std::nullopt;
  }
  auto templatePath = joinChecked(console, workDir, msg::kResponseTemplate);
  auto installer = joinChecked(console, workDir, msg::kJreInstaller);
  if (!templatePath || !installer) return std::nullopt;
  console.debugPrint(msg::kAddingJrePath);
  console.debugPrint(jreDir);
  console.debugPrint(msg::kAddingTo);
  console.debugPrint(*templatePath);
  console.debugPrint(msg::kAddingEnd);
  if (makeResponseFile(*templatePath, '"' + jreDir + '"') != 0) {
    console.debugPrint(msg::kFailed);
    return std::nullopt;
  }
  console.debugPrint(msg::kSuccessful);

  const std::string silent = msg::kArgSilent, all = msg::kArgAll;
  const std::string response = std::string(msg::kArgResponse) + '"' + *templatePath + msg::kResponseSuffix + '"';
  std::fflush(console.err);
  console.debugPrint(format(msg::kExecuting, *installer, silent, all, silent, response));
  std::fflush(console.err);
  std::string commandLine = silent + ' ' + all + ' ' + silent + ' ' + response;
  if (os.runAndWait(*installer, commandLine) < 0) return std::nullopt;
  return jreDir;
}

int installJre(HelperOs& os, const Console& console, const std::string& jreDir, const std::string& version,
               const std::string& workDir) {
  std::fprintf(console.out, msg::kInstallingJre, version.c_str());
  std::fflush(console.out);
  std::optional<std::string> home = findJre(os, version, true);
  if (home) {
    std::fputs(msg::kAlreadyInstalled, console.out);
  } else {
    home = runJreInstaller(os, console, jreDir, workDir);
    std::fputs(msg::kDone, console.out);
  }
  std::fflush(console.out);
  os.sleepMs(1000);

  // The result file always gets a backslash after the work directory.
  std::string resultPath = workDir + '\\' + msg::kResultFile;
  if (workDir.empty()) {
    reportEmptyDirectory(console, msg::kResultFile);
  } else if (resultPath.size() <= kMaxText) {
    File file(std::fopen(resultPath.c_str(), "w"));
    if (file) {
      std::fputs(msg::kResultSection, file.get());
      std::fprintf(file.get(), msg::kResultJrePath, home ? home->c_str() : "");
    }
  } else {
    reportRefused(console, workDir);
  }
  return home ? 1 : 0;
}

int runHelper(HelperOs& os, const Console& console, const std::vector<std::string>& args) {
  if (args.empty()) {
    console.debugPrint(msg::kArgcTooSmall);
    return kExitBadCall;
  }
  int fn = parseFunctionNumber(args[0].c_str());
  if (fn <= 0) {
    console.debugPrint(msg::kFnTooSmall);
    return kExitBadCall;
  }
  // Arguments a function reads must be there; those it ignores need not be.
  static constexpr std::size_t kArgumentsRead[] = {0, 1, 1, 0, 1, 0, 3, 0, 1};
  if (fn < static_cast<int>(std::size(kArgumentsRead)) && args.size() <= kArgumentsRead[fn]) {
    console.debugPrint(msg::kMissingArgument);
    return kExitBadCall;
  }
  switch (fn) {
    case 1: return resolveJrePath(os, console, args[1]);
    case 2: return prepareResponseFile(os, console, args[1]);
    case 3: return isRebootPending(os) ? 1 : 0;
    case 4: return registerLauncher(os, console, args[1]);
    case 5: return isBrowserRunning(os) ? 1 : 0;
    case 6: return installJre(os, console, args[1], args[2], args[3]);
    case 7: unregisterJnlpViewer(os); return 1;
    case 8: return findJre(os, args[1], false) ? 1 : 0;
    default: return kExitBadCall;
  }
}

}  // namespace orlin
