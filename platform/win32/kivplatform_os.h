// Windows constants of the platform layer.
#pragma once

#include <cstddef>

namespace kiv::platform {

inline constexpr char kDirSep = '\\';
inline constexpr const char* kDirSepStr = "\\";
inline constexpr char kPathListSep = ';';
inline constexpr const char* kPathListSepStr = ";";

// Runtime libraries by level: JNI 1.2 and later, and JDK 1.1.
inline constexpr const char* kRuntimeLib13 = "jvm.dll";
inline constexpr const char* kRuntimeLib11 = "javai.dll";

// A record writer's own buffer (see kivrecordout.h); 0: each record goes
// on into the C library's stream at once.
inline constexpr std::size_t kRecordBlock = 0;
// Whether a record writer's buffer must be written out at exit by its owner
// (else the C library flushes its streams then).
inline constexpr bool kRecordOutputFlushAtExit = false;

inline constexpr const char* kCommandInterpreter = "cmd.exe";

// Names that differ only in the case of their letters name one file.
inline constexpr bool kFileNamesIgnoreCase = true;
// The load message is the original one: the library name and JAVA_HOME.
inline constexpr bool kLoadMessageNamesLibraryFile = false;

}  // namespace kiv::platform

// A thread-local variable read on every call of the library.
#define KIV_FAST_THREAD_LOCAL thread_local
