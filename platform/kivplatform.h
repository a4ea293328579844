// The per-OS layer of the launcher and the data-set simulation. Everything
// that differs between Windows and POSIX sits behind these functions and the
// constants of kivplatform_os.h (one copy per OS, chosen by the build), so
// the code above this layer needs no conditional compilation.
#pragma once

#include "kivplatform_os.h"

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::platform {

// A loaded dynamic library; null when none.
using LibraryHandle = void*;

// Loads a library by file name (bare names go through the platform's own
// search). On failure returns null and sets error to the platform's error
// number for the failure (errno on POSIX, GetLastError on Windows).
LibraryHandle loadLibrary(const char* name, int& error);
// Address of an exported function or variable, or null.
void* findSymbol(LibraryHandle lib, const char* name);
void freeLibrary(LibraryHandle lib);

// Creates one directory (permissions 0777 where the platform has them).
// Returns 0 or the error number (EEXIST when it is already there).
int makeDirectory(const char* path);

// A file's status as the platform's stat reports it, in full width.
struct FileStatus {
  unsigned long mode = 0;
  long long inode = 0;
  long long device = 0;
  long long links = 0;
  long long uid = 0;
  long long gid = 0;
  long long size = 0;
  long long atime = 0;
  long long ctime = 0;
  long long mtime = 0;
};
// Reads the status of path. Returns 0 or the error number (errno).
int fileStatus(const char* path, FileStatus& status);

// ---- file names ------------------------------------------------------------
// Windows' rules, on every platform (kivfilenames.cpp). A device name: CON,
// PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 (also with the superscript digits one to
// three), CONIN$ or CONOUT$, in any case, alone or before a dot (NUL.DATA);
// opening it reaches the device, not a file.
bool isWindowsDeviceName(std::string_view name);
// True when Windows would not make a file of exactly this name: a device
// name, or a name whose last character is a dot or a blank (dropped there).
bool windowsAltersFileName(std::string_view name);
// True when this platform's file system would not keep a file of exactly
// this name in a directory: Windows' rules on Windows; never on POSIX.
bool systemAltersFileName(std::string_view name);
// kFileNamesIgnoreCase (kivplatform_os.h): whether names that differ only in
// the case of their letters name one file.

// The broken-down UTC time of t.
std::tm utcTime(std::time_t t);

// The file a loaded library was read from, as the loader found it ("" when
// the platform cannot tell).
std::string libraryFile(LibraryHandle lib);

// Where a runtime library candidate comes from.
enum class LibrarySource {
  systemSearch,  // the bare name, found by the platform's own library search
  javaHome,      // below JAVA_HOME
  javaOnPath,    // beside the first `java` program on PATH
};
struct RuntimeCandidate {
  std::string file;
  LibrarySource source;
};
// Where to look for the Java runtime library of a runtime level (13: JNI 1.2
// and later, 11: JDK 1.1), in the order to try them. The first entry is
// always the bare library name, searched the platform's own way.
std::vector<RuntimeCandidate> runtimeLibraryCandidates(int level, const char* javaHome);

// Removes a plain file (never a directory). Returns 0 or the error number.
int removeFile(const char* path);

// Stdio calls on a file that only one thread uses at a time (its owner
// serializes the calls with a lock of its own): where the C library has them,
// the variants that skip the library's own per-call file lock; elsewhere the
// ordinary calls. Results as fread, fwrite and ferror.
std::size_t readUnlocked(void* data, std::size_t size, std::FILE* file);
std::size_t writeUnlocked(const void* data, std::size_t size, std::FILE* file);
bool errorUnlocked(std::FILE* file);

}  // namespace kiv::platform
