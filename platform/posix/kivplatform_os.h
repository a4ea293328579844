// POSIX (Linux) constants of the platform layer.
#pragma once

#include <cstddef>

namespace kiv::platform {

inline constexpr char kDirSep = '/';
inline constexpr const char* kDirSepStr = "/";
inline constexpr char kPathListSep = ':';
inline constexpr const char* kPathListSepStr = ":";

// Runtime libraries by level: JNI 1.2 and later, and JDK 1.1.
inline constexpr const char* kRuntimeLib13 = "libjvm.so";
inline constexpr const char* kRuntimeLib11 = "libjavai.so";

// A record writer's own buffer (see kivrecordout.h); 0: each record goes
// on into the C library's stream at once.
inline constexpr std::size_t kRecordBlock = 64 * 1024;
// Whether a record writer's buffer must be written out at exit by its owner
// (else the C library flushes its streams then).
inline constexpr bool kRecordOutputFlushAtExit = true;

inline constexpr const char* kCommandInterpreter = "/bin/sh";

// File names are case-sensitive.
inline constexpr bool kFileNamesIgnoreCase = false;
// The load message names the file the loader read (the library may come from
// the loader's search, JAVA_HOME or the java on PATH).
inline constexpr bool kLoadMessageNamesLibraryFile = true;

}  // namespace kiv::platform

// A thread-local variable read on every call of a library that is loaded
// at run time: the initial-exec model spares the lookup through
// __tls_get_addr (the library needs a few bytes of the static TLS room).
#define KIV_FAST_THREAD_LOCAL __attribute__((tls_model("initial-exec"))) thread_local
