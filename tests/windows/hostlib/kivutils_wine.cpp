// kivutils.dll as the VM uses it: loaded with LoadLibrary, every frame method
// found with GetProcAddress under its plain name and, on 32-bit x86, under
// its stdcall name too, and called through the stand-in JNIEnv.
//   kivutils_wine.exe <kivutils.dll> <trace file>
// Prints "ok: ..." or "FAILED: ..." per check; exits with the failure count.
#include "fakejni.h"
#include "frame_lines.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(const std::string& name, bool good, const std::string& detail = {}) {
  std::printf("%s: %s%s%s\n", good ? "ok" : "FAILED", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  if (!good) ++failures;
}

// The entry point under its plain name, after checking the decorated one.
FARPROC entry(HMODULE lib, const std::string& name, int argumentBytes) {
  FARPROC plain = GetProcAddress(lib, name.c_str());
  check("export " + name, plain != nullptr);
  std::string decorated = name + "@" + std::to_string(argumentBytes);
  FARPROC stdcallName = GetProcAddress(lib, decorated.c_str());
  if (sizeof(void*) == 4)
    check("export " + decorated + " is the same function", stdcallName != nullptr && stdcallName == plain);
  else
    check("no decoration on this architecture: " + decorated, stdcallName == nullptr);
  return plain;
}

template <class F>
F as(FARPROC p) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(p));
}

std::vector<std::string> traceLines(const std::string& path) {
  std::vector<std::string> out;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line.size() >= 20 ? line.substr(20) : line);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kivutils_wine <kivutils.dll> <trace file>\n");
    return 100;
  }
  HMODULE lib = LoadLibraryA(argv[1]);
  check("LoadLibrary", lib != nullptr, argv[1]);
  if (!lib) return failures;

  using TraceInit = jint(JNICALL*)(JNIEnv*, jclass, jstring, jint);
  using TraceLevel = jint(JNICALL*)(JNIEnv*, jclass, jint);
  using TraceLine = jint(JNICALL*)(JNIEnv*, jclass, jstring, jint);
  using NoArgs = jint(JNICALL*)(JNIEnv*, jclass);
  const std::string utilities = "Java_com_zov_kiv_host_KivHostUtilities_";
  const std::string java = "Java_com_zov_kiv_host_KivJava_";
  auto initTraceN = as<TraceInit>(entry(lib, utilities + "initTraceN", 16));
  auto traceLevelN = as<TraceLevel>(entry(lib, utilities + "traceLevelN", 12));
  auto traceLineN = as<TraceLine>(entry(lib, utilities + "traceLineN", 16));
  auto stopTraceN = as<NoArgs>(entry(lib, utilities + "stopTraceN", 8));
  auto checkLibraryVersionN = as<NoArgs>(entry(lib, java + "checkLibraryVersionN", 8));
  auto getUserIdN = as<NoArgs>(entry(lib, java + "getUserIdN", 8));
  if (failures) return failures;

  kivtest::FakeJni fake;
  JNIEnv* env = fake.env();
  kivtest::FakeClass* utilitiesClass = fake.defineClass("com/zov/kiv/host/KivHostUtilities");
  kivtest::FakeClass* javaClass = fake.defineClass("com/zov/kiv/host/KivJava");
  for (const char* s : {"cvPW_name", "cvPW_dir", "cvPW_shell"}) fake.declare(javaClass, s, "Ljava/lang/String;", true);
  for (const char* s : {"cvPW_uid", "cvPW_gid"}) fake.declare(javaClass, s, "I", true);

  check("checkLibraryVersionN", checkLibraryVersionN(env, javaClass) == 41031);
  check("traceLineN without a trace file", traceLineN(env, utilitiesClass, fake.string("x"), 0) == -1);
  check("initTraceN in a missing directory", initTraceN(env, utilitiesClass, fake.string("Z:\\no\\such\\dir\\t.txt"), 5) == -1);
  check("initTraceN", initTraceN(env, utilitiesClass, fake.string(argv[2]), 9) == 0);
  check("traceLineN", traceLineN(env, utilitiesClass, fake.string("wine line"), 1) == 0);
  check("traceLineN of a null String", traceLineN(env, utilitiesClass, nullptr, 1) == -1);
  check("getUserIdN", getUserIdN(env, javaClass) == 0);
  check("cvPW_name", fake.staticValue(javaClass, "cvPW_name").s == std::string("TESTUSER"));
  check("cvPW_uid", fake.staticValue(javaClass, "cvPW_uid").i == 0);
  check("cvPW_gid", fake.staticValue(javaClass, "cvPW_gid").i == 0);
  check("cvPW_dir", fake.staticValue(javaClass, "cvPW_dir").s == std::string("/u/home"));
  check("cvPW_shell", fake.staticValue(javaClass, "cvPW_shell").s == std::string("SH"));
  check("traceLevelN", traceLevelN(env, utilitiesClass, 3) == 0);
  check("traceLineN above the level", traceLineN(env, utilitiesClass, fake.string("not written"), 4) == 0);
  check("stopTraceN", stopTraceN(env, utilitiesClass) == 0);
  check("traceLineN after stopTraceN", traceLineN(env, utilitiesClass, fake.string("x"), 0) == -1);
  check("local references released", fake.localRefsHeld() == 0);
  check("no JNI call with an exception pending", fake.callsWithExceptionPending == 0);

  std::vector<std::string> expected = kivtest::joined(
      {{"wine line", kivtest::kNullStringLine}, kivtest::kGetUserIdLines, {"Set trace level 3"}});
  std::vector<std::string> lines = traceLines(argv[2]);
  check("trace lines", lines == expected, std::to_string(lines.size()) + " lines");
  for (const std::string& l : lines) std::printf("  trace: %s\n", l.c_str());

  FreeLibrary(lib);
  std::printf("%d failed\n", failures);
  return failures;
}
