#include "kivplatform.h"

#include <cerrno>
#include <cstdlib>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace kiv::platform {

LibraryHandle loadLibrary(const char* name, int& error) {
  HMODULE lib = LoadLibraryA(name);
  // A successful load may leave an old error behind: read it only on failure.
  error = lib ? 0 : static_cast<int>(GetLastError());
  return reinterpret_cast<LibraryHandle>(lib);
}

void* findSymbol(LibraryHandle lib, const char* name) {
  if (!lib) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

void freeLibrary(LibraryHandle lib) {
  if (lib) FreeLibrary(static_cast<HMODULE>(lib));
}

int makeDirectory(const char* path) { return _mkdir(path) == 0 ? 0 : errno; }

int fileStatus(const char* path, FileStatus& status) {
  struct _stat64 st {};
  if (!path || _stat64(path, &st) != 0) return path ? errno : ENOENT;
  status.mode = st.st_mode;
  status.inode = st.st_ino;
  status.device = st.st_dev;  // the drive number
  status.links = st.st_nlink;
  status.uid = st.st_uid;
  status.gid = st.st_gid;
  status.size = st.st_size;
  status.atime = st.st_atime;
  status.ctime = st.st_ctime;
  status.mtime = st.st_mtime;
  return 0;
}

std::tm utcTime(std::time_t t) {
  std::tm out{};
  gmtime_s(&out, &t);
  return out;
}

std::vector<RuntimeCandidate> runtimeLibraryCandidates(int level, const char* javaHome) {
  // Windows searches the program's directory, the system directories and PATH.
  std::vector<RuntimeCandidate> out{{level == 11 ? kRuntimeLib11 : kRuntimeLib13, LibrarySource::systemSearch}};
  if (level == 11 || !javaHome || !*javaHome) return out;
  // No runtime installer puts the VM's directory on PATH: look where the
  // runtimes keep it. The JDK 9 and later layout first, then the one of JDK
  // and JRE 8; the server VM before the client VM (32-bit runtimes often
  // ship the client VM only).
  for (const char* dir : {"\\bin\\server\\", "\\bin\\client\\", "\\jre\\bin\\server\\", "\\jre\\bin\\client\\"})
    out.push_back({std::string(javaHome) + dir + kRuntimeLib13, LibrarySource::javaHome});
  return out;
}

int removeFile(const char* path) {
  // The C runtime's unlink refuses directories (EACCES).
  return ::_unlink(path) == 0 ? 0 : errno;
}

std::string libraryFile(LibraryHandle lib) {
  char name[MAX_PATH + 1] = {};
  DWORD n = lib ? GetModuleFileNameA(static_cast<HMODULE>(lib), name, MAX_PATH) : 0;
  return n > 0 && n < MAX_PATH ? std::string(name, n) : std::string();
}

bool systemAltersFileName(std::string_view name) { return windowsAltersFileName(name); }

// The C runtime's text mode (CR LF to LF) stays in charge of every read and
// write, so the ordinary calls are used here.
std::size_t readUnlocked(void* data, std::size_t size, std::FILE* file) { return std::fread(data, 1, size, file); }
std::size_t writeUnlocked(const void* data, std::size_t size, std::FILE* file) {
  return std::fwrite(data, 1, size, file);
}
bool errorUnlocked(std::FILE* file) { return std::ferror(file) != 0; }

}  // namespace kiv::platform
