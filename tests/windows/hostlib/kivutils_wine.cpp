// kivutils.dll as the VM uses it: loaded with LoadLibrary, every frame method
// found with GetProcAddress under its plain name and, on 32-bit x86, under
// its stdcall name too, and called through the stand-in JNIEnv; then statN,
// mkdirN and removeN of KivHFSFile on the Windows file system.
//   kivutils_wine.exe <kivutils.dll> <trace file>
// As one of several processes that append to one trace file at once: sets
// the trace up, creates the ready file, waits (at most 60 s) for the go file,
// then appends lines 0 to n-1 of writer tag (trace_writers.h) with traceLineN.
//   kivutils_wine.exe <kivutils.dll> <trace file> append <tag> <n> <ready file> <go file>
// The check of such a file: the lines of the writers W0 to W<w-1>, n each,
// whole, none lost, each ending in CR LF.
//   kivutils_wine.exe verify <trace file> <w> <n>
// Prints "ok: ..." or "FAILED: ..." per check; exits with the failure count.
#include "fakejni.h"
#include "frame_lines.h"
#include "trace_writers.h"

#include <windows.h>

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void touch(const std::string& path) { std::ofstream(path, std::ios::binary) << "x\n"; }
bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// statN, mkdirN and removeN on the Windows file system. work is the
// directory of the trace file, which is also the current directory.
void fileSystem(HMODULE lib, kivtest::FakeJni& fake, const std::string& work) {
  using PathMode = jint(JNICALL*)(JNIEnv*, jobject, jstring, jint);
  using Path = jint(JNICALL*)(JNIEnv*, jobject, jstring);
  const std::string hfs = "Java_com_zov_kiv_host_KivHFSFile_";
  auto mkdirN = as<PathMode>(entry(lib, hfs + "mkdirN", 16));
  auto statN = as<Path>(entry(lib, hfs + "statN", 12));
  auto removeN = as<Path>(entry(lib, hfs + "removeN", 12));
  if (!mkdirN || !statN || !removeN) return;

  JNIEnv* env = fake.env();
  kivtest::FakeClass* cls = fake.defineClass("com/zov/kiv/host/KivHFSFile");
  fake.declare(cls, "strerror", "Ljava/lang/String;");
  for (const char* f : {"errno", "ivPermissions", "ivInode", "ivDevid", "ivNlinks", "ivUid", "ivGid", "ivSize",
                        "ivAtime", "ivCtime", "ivMtime"})
    fake.declare(cls, f, "I");
  kivtest::FakeObject* file = fake.newObject(cls);
  auto field = [&](const char* name) -> kivtest::FakeValue& { return fake.value(file, name); };
  // Host paths with "/" between directories, as the Java side gives them.
  std::string host = work;
  for (char& c : host)
    if (c == '\\') c = '/';

  check("mkdirN", mkdirN(env, file, fake.string(host + "/newdir/"), 0755) == 0);
  check("directory made", exists(work + "\\newdir"));
  check("mkdirN twice", mkdirN(env, file, fake.string(host + "/newdir/"), 0755) == -1);
  check("errno of an existing directory", field("errno").i == EEXIST, std::to_string(field("errno").i));
  check("strerror of an existing directory", field("strerror").s == std::string(std::strerror(EEXIST)));

  // Access and write times set apart (2008-01-10 and 2011-03-13); the
  // creation time stays as the file system has it (Wine: the write time).
  auto fileTime = [](long long unixTime) {
    const unsigned long long ticks = static_cast<unsigned long long>(unixTime + 11644473600LL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  };
  HANDLE dir = CreateFileA((work + "\\newdir").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const FILETIME accessed = fileTime(1200000000), written = fileTime(1300000000);
  check("directory times set", dir != INVALID_HANDLE_VALUE && SetFileTime(dir, nullptr, &accessed, &written));
  if (dir != INVALID_HANDLE_VALUE) CloseHandle(dir);
  check("statN of a directory", statN(env, file, fake.string(host + "/newdir/")) == 0);
  check("a directory's mode", (field("ivPermissions").i & 0170000) == 040000);
  check("access time", field("ivAtime").i == 1200000000, std::to_string(field("ivAtime").i));
  check("modification time", field("ivMtime").i == 1300000000, std::to_string(field("ivMtime").i));
  WIN32_FILE_ATTRIBUTE_DATA real{};
  GetFileAttributesExA((work + "\\newdir").c_str(), GetFileExInfoStandard, &real);
  const long long created =
      static_cast<long long>(((static_cast<unsigned long long>(real.ftCreationTime.dwHighDateTime) << 32) |
                              real.ftCreationTime.dwLowDateTime) / 10000000ULL) - 11644473600LL;
  check("creation time", field("ivCtime").i == created,
        std::to_string(field("ivCtime").i) + " for " + std::to_string(created));
  check("the drive's number", field("ivDevid").i == std::toupper(static_cast<unsigned char>(work[0])) - 'A',
        std::to_string(field("ivDevid").i));
  touch(work + "\\newdir\\f.txt");
  field("ivPermissions").i = 0;
  check("statN of a file asks for its parent", statN(env, file, fake.string(host + "/newdir/f.txt")) == 0);
  check("the parent is a directory", (field("ivPermissions").i & 0170000) == 040000);
  field("ivSize").i = -5;
  check("statN of a missing directory", statN(env, file, fake.string(host + "/nosuch/x")) == -1);
  check("errno of a missing directory", field("errno").i == ENOENT, std::to_string(field("errno").i));
  check("fields keep their values", field("ivSize").i == -5);

  touch("ZZ.DATA__");
  check("removeN in host notation", removeN(env, file, fake.string("//'ZZ.DATA'")) == 0);
  check("data set file gone", !exists("ZZ.DATA__"));
  touch("$u$zz$a.txt");
  check("removeN of an HFS path", removeN(env, file, fake.string("/u/zz/a.txt")) == 0);
  check("HFS file gone", !exists("$u$zz$a.txt"));
  check("removeN of a missing file", removeN(env, file, fake.string("//'NO.SUCH'")) == -1);
  check("errno of a missing file", field("errno").i == ENOENT);
  check("strerror of a missing file", field("strerror").s == std::string(std::strerror(ENOENT)));
  touch("DD");
  check("removeN of an unknown DD", removeN(env, file, fake.string("DD:NOSUCH")) == -1);
  check("no stream of the file DD touched", exists("DD"));
  touch(work + "\\newdir\\victim");
  check("removeN of a name in another directory", removeN(env, file, fake.string("newdir\\victim")) == -1);
  check("nothing elsewhere removed", exists(work + "\\newdir\\victim"));
  check("removeN of null", removeN(env, file, nullptr) == -1);
  check("HFS: local references released", fake.localRefsHeld() == 0);
  check("HFS: no JNI call with an exception pending", fake.callsWithExceptionPending == 0);
}

using TraceInit = jint(JNICALL*)(JNIEnv*, jclass, jstring, jint);
using TraceLine = jint(JNICALL*)(JNIEnv*, jclass, jstring, jint);

constexpr std::size_t kMinLine = 100, kMaxLine = 20000;

int append(const char* dll, const char* trace, const std::string& tag, int lines, const char* readyFile,
           const char* goFile) {
  HMODULE lib = LoadLibraryA(dll);
  auto initTraceN = lib ? as<TraceInit>(GetProcAddress(lib, "Java_com_zov_kiv_host_KivHostUtilities_initTraceN")) : nullptr;
  auto traceLineN = lib ? as<TraceLine>(GetProcAddress(lib, "Java_com_zov_kiv_host_KivHostUtilities_traceLineN")) : nullptr;
  check(tag + ": library loaded", initTraceN && traceLineN, dll);
  if (!initTraceN || !traceLineN) return failures;
  kivtest::FakeJni fake;
  JNIEnv* env = fake.env();
  kivtest::FakeClass* utilities = fake.defineClass("com/zov/kiv/host/KivHostUtilities");
  check(tag + ": initTraceN", initTraceN(env, utilities, fake.string(trace), 1) == 0);
  touch(readyFile);
  int waited = 0;
  while (!exists(goFile) && waited < 6000) {
    Sleep(10);
    ++waited;
  }
  check(tag + ": go within 60 s", exists(goFile));
  int refused = 0;
  for (int i = 0; i < lines; ++i) {
    if (traceLineN(env, utilities, fake.string(kivtest::writerLine(tag, 0, i, kMinLine, kMaxLine)), 1) != 0) ++refused;
  }
  check(tag + ": every line taken", refused == 0, std::to_string(refused) + " refused");
  FreeLibrary(lib);
  return failures;
}

int verify(const char* trace, int writers, int lines) {
  kivtest::TraceTally tally;
  for (int w = 0; w < writers; ++w) {
    std::string tag = "W";
    tag += std::to_string(w);
    for (int i = 0; i < lines; ++i) tally.expect(kivtest::writerLine(tag, 0, i, kMinLine, kMaxLine));
  }
  std::string text;
  if (std::FILE* f = std::fopen(trace, "rb")) {
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  const bool whole = tally.check(text, "\r\n");
  check("every line whole, none lost, each ending in CR LF", whole,
        std::to_string(tally.whole) + " of " + std::to_string(writers * lines) + " whole\n" + tally.problems);
  std::printf("%d failed\n", failures);
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 8 && std::strcmp(argv[3], "append") == 0)
    return append(argv[1], argv[2], argv[4], std::atoi(argv[5]), argv[6], argv[7]);
  if (argc == 5 && std::strcmp(argv[1], "verify") == 0) return verify(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (argc != 3) {
    std::fprintf(stderr, "usage: kivutils_wine <kivutils.dll> <trace file>\n");
    return 100;
  }
  HMODULE lib = LoadLibraryA(argv[1]);
  check("LoadLibrary", lib != nullptr, argv[1]);
  if (!lib) return failures;

  using TraceLevel = jint(JNICALL*)(JNIEnv*, jclass, jint);
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

  std::string work = argv[2];
  work.resize(work.find_last_of('\\'));
  fileSystem(lib, fake, work);

  FreeLibrary(lib);
  std::printf("%d failed\n", failures);
  return failures;
}
