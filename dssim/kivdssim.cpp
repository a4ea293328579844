// The simulated dynamic-allocation service (SVC99): the allocation list with
// its guard and generated names, and the data-set files in the current
// directory.
#include "kivdsmsg.h"
#include "kivdssim.h"
#include "kivplatform.h"
#include "kivtrace.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <thread>

namespace kiv {

int countDDs = 0;

namespace {

// The allocation list: newest first. Nodes point at records they do not own.
std::list<PIP*> allocated_dyn_t;
std::atomic_flag semaphore = ATOMIC_FLAG_INIT;

// The highest generated-name number that still gives an eight-character name.
constexpr int kMaxGeneratedNumber = 0xFFFFF;

bool envIsYes(const char* name) {
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "YES") == 0;
}

std::string text(const std::optional<std::string>& s) { return s ? *s : std::string(); }

// The file name of a record as makeFileName builds it, with member and
// volume given by the caller; no checks.
std::string fileNameOf(const PIP& pip, const std::optional<std::string>& member,
                       const std::optional<std::string>& volser) {
  if (pip.dsName) return format(dsmsg::kFileNameFormat, pip.dsName->c_str(), text(member).c_str(), text(volser).c_str());
  if (pip.pathString) {
    std::string out = *pip.pathString;
    replacePathChars(out);
    return out;
  }
  if (pip.sysoutName) return format(dsmsg::kSysoutFileNameFormat, pip.sysoutName->c_str());
  return {};
}

int checked(std::string& out, std::string name) {
  if (!isPlainFileName(name)) {
    traceLineL(0, dsmsg::kBadFileName, name.c_str());
    out.clear();
    return kErrcodeBadFileName;
  }
  out = std::move(name);
  return 0;
}

// Removes the record's node (if any) from the list; the caller holds the guard.
void unlist(const PIP* pip) {
  if (auto node = findpip(pip)) removeElement(*node);
}

// Deletes the files of a released record as the original deletion command
// did, in-process and only in the current directory.
void deleteFiles(const PIP& pip) {
  std::optional<std::string> volser;
  if (pip.normdisp == kDispDelete) volser = pip.volser ? *pip.volser : std::string("*");
  // The name parts must be a plain file name before the wildcards go in.
  std::string probe = fileNameOf(pip, std::string("M"), volser ? std::optional<std::string>("V") : std::nullopt);
  if (probe.empty()) return;
  if (!isPlainFileName(probe) || (volser && pip.volser && !isPlainFileName(*pip.volser))) {
    traceLineL(0, dsmsg::kBadFileName, probe.c_str());
    return;
  }
  std::string pattern = fileNameOf(pip, std::string("*"), volser);
  if (pattern.size() > kMaxFileNameLength) return;
  deleteMatchingFiles(pattern);
}

}  // namespace

DDGuard::DDGuard() {
  bool said = false;
  while (semaphore.test_and_set(std::memory_order_acquire)) {
    if (!said) {
      std::fputs(dsmsg::kWaitingForSemaphore, stdout);
      said = true;
    }
    std::this_thread::yield();
  }
}

DDGuard::~DDGuard() { semaphore.clear(std::memory_order_release); }

int svc99(RequestBlock& request) {
  traceLine(dsmsg::kCalledSvc99, static_cast<const void*>(request.textUnits.data()));
  return 0;
}

int dyninitL(PIP* pip) {
  DDGuard guard;
  try {
    allocated_dyn_t.push_front(pip);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  return 0;
}

int dynallocL(PIP* pip) {
  DDGuard guard;
  int rc = 0;
  if (pip->ddName && *pip->ddName == kGeneratedDDRequest) {
    if (countDDs > kMaxGeneratedNumber) {
      pip->errcode = kErrcodeNoDDName;
      unlist(pip);
      return kDynallocRefused;
    }
    pip->ddName = format(dsmsg::kGeneratedNameFormat, static_cast<unsigned>(countDDs));
    ++countDDs;
  }
  const int8_t status = pip->status;
  const bool isNew = status == kStatusNew;
  if (isNew || status == kStatusShr || status == kStatusOld || status == kStatusMod) {
    std::string name;
    if (makeFileName(name, *pip, 0) != 0) {
      pip->errcode = kErrcodeBadFileName;
      rc = kDynallocRefused;
    } else if (!name.empty()) {
      if (fileexists(name.c_str())) {
        if (isNew) {
          pip->errcode = kErrcodeDatasetExists;
          rc = kDynallocRefused;
        }
      } else if (envIsYes("KIVCREATEFILES")) {
        createFile(name.c_str());
      } else if (!isNew) {
        pip->errcode = kErrcodeDatasetNotFound;
        rc = kDynallocRefused;
      }
      if (isNew && rc == 0) {
        createFile(name.c_str());
        // The copy without volume only lets the data set be found without
        // it: one that is already there is that data set, kept as it is.
        if (pip->normdisp == kDispCatlg && pip->volser) {
          std::string withoutVolume;
          if (checked(withoutVolume, fileNameOf(*pip, std::nullopt, std::nullopt)) == 0 &&
              !fileexists(withoutVolume.c_str()))
            createFile(withoutVolume.c_str());
        }
      }
    }
  }
  if (rc > 0) unlist(pip);
  return rc;
}

int dynfreeL(PIP* pip) {
  DDGuard guard;
  auto node = findpip(pip);
  if (!node) return 0;
  removeElement(*node);
  if (envIsYes("KIVDELETEFILES") && (pip->normdisp == kDispDelete || pip->normdisp == kDispUncatlg))
    deleteFiles(*pip);
  return 0;
}

std::optional<DynNode> findpip(const PIP* pip) {
  for (auto it = allocated_dyn_t.begin(); it != allocated_dyn_t.end(); ++it)
    if (*it == pip) return it;
  return std::nullopt;
}

PIP* findnameUnguarded(const char* name) {
  if (!name || std::strlen(name) <= 2 || std::strncmp(name, "DD:", 3) != 0) return nullptr;
  for (PIP* pip : allocated_dyn_t)
    if (pip->ddName && *pip->ddName == name + 3) return pip;
  return nullptr;
}

PIP* findname(const char* name) {
  DDGuard guard;
  return findnameUnguarded(name);
}

size_t allocationCount() {
  DDGuard guard;
  return allocated_dyn_t.size();
}

void removeElement(DynNode node) { allocated_dyn_t.erase(node); }

bool isPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxFileNameLength) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr("/\\:*?\"<>|", c)) return false;
  }
  // Windows opens a device for NUL.DATA and drops the dot of "X.".
  return !platform::systemAltersFileName(name);
}

int makeFileName(std::string& out, const PIP& pip, int withMember) {
  std::string name = fileNameOf(pip, withMember ? pip.member : std::nullopt, pip.volser);
  if (name.empty()) {
    out.clear();
    return 0;
  }
  return checked(out, std::move(name));
}

int checkFileName(std::string& out, const char* name) {
  std::string in = name ? name : "";
  std::string result;
  if (in.rfind("//'", 0) == 0) {
    result = in.substr(3);
    size_t open = result.find('(');
    if (open != std::string::npos) {
      result[open] = '_';
      size_t close = result.find(')', open);
      if (close == std::string::npos) return checked(out, std::string());
      result[close] = '_';
      result.resize(close + 1);
    } else {
      if (result.empty()) return checked(out, std::string());
      result.pop_back();
      result += "__";
    }
  } else {
    result = in;
    replacePathChars(result);
  }
  return checked(out, std::move(result));
}

void replacePathChars(std::string& s) {
  for (char& c : s)
    if (c == '/') c = '$';
}

void createFile(const char* name) {
  std::printf(dsmsg::kCreatingFile, name);
  if (std::FILE* f = std::fopen(name, "w")) {
    std::fputs(dsmsg::kNewDatasetText, f);
    std::fclose(f);
  }
}

bool wildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
  auto lower = [ignoreCase](char c) {
    return ignoreCase ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
  };
  size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (p < pattern.size() && lower(pattern[p]) == lower(name[n])) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int deleteMatchingFiles(const std::string& pattern) {
  namespace fs = std::filesystem;
  std::vector<fs::path> victims;
  std::error_code ec;
  for (fs::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || typeError) continue;
    // Names match as the file system matches them, so that deletion and
    // allocation agree on which files are one data set.
    if (wildcardMatch(pattern, it->path().filename().string(), platform::kFileNamesIgnoreCase))
      victims.push_back(it->path());
  }
  int removed = 0;
  for (const fs::path& victim : victims) {
    std::error_code removeError;
    if (fs::remove(victim, removeError)) {
      traceLineL(4, dsmsg::kDeletedFile, victim.filename().string().c_str());
      ++removed;
    }
  }
  return removed;
}

}  // namespace kiv
