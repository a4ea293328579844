#include "kivplatform.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv::platform {

namespace {

// dlopen keeps no error number of its own. errno usually holds the one of
// the open that failed, but interposed loaders (sanitizers) may clear it;
// then the number is read back from the message, and a file that is there
// but is no library counts as ENOEXEC.
int loadErrorNumber(int err, const char* message) {
  if (err != 0 || !message) return err;
  for (int e = 1; e < 134; ++e) {
    const char* text = std::strerror(e);
    size_t n = std::strlen(text), m = std::strlen(message);
    if (m >= n && std::strcmp(message + m - n, text) == 0) return e;
  }
  return ENOEXEC;
}

}  // namespace

LibraryHandle loadLibrary(const char* name, int& error) {
  errno = 0;
  void* lib = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  error = lib ? 0 : loadErrorNumber(errno, dlerror());
  return lib;
}

int fileStatus(const char* path, FileStatus& status) {
  struct stat st {};
  if (!path || stat(path, &st) != 0) return path ? errno : ENOENT;
  status.mode = st.st_mode;
  status.inode = static_cast<long long>(st.st_ino);
  status.device = static_cast<long long>(st.st_dev);
  status.links = static_cast<long long>(st.st_nlink);
  status.uid = st.st_uid;
  status.gid = st.st_gid;
  status.size = st.st_size;
  status.atime = st.st_atime;
  status.ctime = st.st_ctime;
  status.mtime = st.st_mtime;
  return 0;
}

void* findSymbol(LibraryHandle lib, const char* name) { return lib ? dlsym(lib, name) : nullptr; }

void freeLibrary(LibraryHandle lib) {
  if (lib) dlclose(lib);
}

int makeDirectory(const char* path) { return mkdir(path, 0777) == 0 ? 0 : errno; }

std::tm utcTime(std::time_t t) {
  std::tm out{};
  gmtime_r(&t, &out);
  return out;
}

namespace {

// The real path of the first executable `name` on PATH, or "".
std::string realPathOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string dirs(path);
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
    std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) {
      char resolved[PATH_MAX];
      if (realpath(candidate.c_str(), resolved)) return resolved;
    }
    start = end + 1;
  }
  return {};
}

std::string parentDir(const std::string& p) {
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

}  // namespace

std::vector<RuntimeCandidate> runtimeLibraryCandidates(int level, const char* javaHome) {
  std::vector<RuntimeCandidate> out;
  if (level == 11) {
    out.push_back({kRuntimeLib11, LibrarySource::systemSearch});
    if (javaHome && *javaHome)
      out.push_back({std::string(javaHome) + "/lib/" + kRuntimeLib11, LibrarySource::javaHome});
    return out;
  }
  out.push_back({kRuntimeLib13, LibrarySource::systemSearch});
  if (javaHome && *javaHome)
    out.push_back({std::string(javaHome) + "/lib/server/" + kRuntimeLib13, LibrarySource::javaHome});
  std::string java = realPathOnPath("java");
  if (!java.empty()) {
    // <home>/bin/java -> <home>/lib/server/libjvm.so
    out.push_back({parentDir(parentDir(java)) + "/lib/server/" + kRuntimeLib13, LibrarySource::javaOnPath});
  }
  return out;
}

int removeFile(const char* path) {
  // unlink, unlike the C library's remove, never takes a directory away.
  return ::unlink(path) == 0 ? 0 : errno;
}

std::string libraryFile(LibraryHandle lib) {
  link_map* map = nullptr;
  if (!lib || dlinfo(lib, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
  return map->l_name;
}

bool systemAltersFileName(std::string_view /*name*/) { return false; }

#if defined(__GLIBC__)
std::size_t readUnlocked(void* data, std::size_t size, std::FILE* file) { return fread_unlocked(data, 1, size, file); }
std::size_t writeUnlocked(const void* data, std::size_t size, std::FILE* file) {
  return fwrite_unlocked(data, 1, size, file);
}
bool errorUnlocked(std::FILE* file) { return ferror_unlocked(file) != 0; }
#else
std::size_t readUnlocked(void* data, std::size_t size, std::FILE* file) { return std::fread(data, 1, size, file); }
std::size_t writeUnlocked(const void* data, std::size_t size, std::FILE* file) {
  return std::fwrite(data, 1, size, file);
}
bool errorUnlocked(std::FILE* file) { return std::ferror(file) != 0; }
#endif

}  // namespace kiv::platform
