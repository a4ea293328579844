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

}  // namespace kiv::platform
