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

// The broken-down UTC time of t.
std::tm utcTime(std::time_t t);

// Where to look for the Java runtime library of a runtime level (13: JNI 1.2
// and later, 11: JDK 1.1), in the order to try them. The first entry is
// always the bare library name, searched the platform's own way.
std::vector<std::string> runtimeLibraryCandidates(int level, const char* javaHome);

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
