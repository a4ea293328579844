// POSIX (Linux) constants of the platform layer.
#pragma once

namespace kiv::platform {

inline constexpr char kDirSep = '/';
inline constexpr const char* kDirSepStr = "/";
inline constexpr char kPathListSep = ':';
inline constexpr const char* kPathListSepStr = ":";

// Runtime libraries by level: JNI 1.2 and later, and JDK 1.1.
inline constexpr const char* kRuntimeLib13 = "libjvm.so";
inline constexpr const char* kRuntimeLib11 = "libjavai.so";

inline constexpr const char* kCommandInterpreter = "/bin/sh";

// File names are case-sensitive.
inline constexpr bool kFileNamesIgnoreCase = false;
// The load message names the file the loader read (the library may come from
// the loader's search, JAVA_HOME or the java on PATH).
inline constexpr bool kLoadMessageNamesLibraryFile = true;

}  // namespace kiv::platform
