// The DD and data-set stream families of kivutils.dll on real files under
// the Windows C library: every method found under its plain name (and its
// stdcall name on 32-bit x86) and called through the stand-in JNIEnv.
//   kivutils_streams_wine.exe <kivutils.dll> <trace file>
// Runs in the current directory (the data-set files land there). Prints
// "ok: ..." or "FAILED: ..." per check; exits with the failure count.
#include "fakejni.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(const std::string& name, bool good, const std::string& detail = {}) {
  std::printf("%s: %s%s%s\n", good ? "ok" : "FAILED", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  if (!good) ++failures;
}

std::string fileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string text(jstring s) { return s ? static_cast<kivtest::FakeString*>(s)->text : "<null>"; }

// Every method of the two families with its argument bytes on 32-bit x86.
const std::map<std::string, int> kMethods = {
    {"KivDatasetDD_dyninitN", 8}, {"KivDatasetDD_dynallocN", 8}, {"KivDatasetDD_dynfreeN", 8},
    {"KivDatasetDD_dyndestroyN", 8}, {"KivDatasetDD_toHexStringN", 8}, {"KivDatasetDD_getConcatIdentN", 8},
    {"KivDatasetDD_concatenateN", 16}, {"KivDatasetDD_testN", 8},
    {"KivDatasetReader_openN", 12}, {"KivDatasetReader_closeN", 12}, {"KivDatasetReader_readRecordN", 12},
    {"KivDatasetReader_readRecordN_1old", 16},
    {"KivDatasetWriter_openN", 12}, {"KivDatasetWriter_closeN", 12}, {"KivDatasetWriter_writeRecordN", 16},
    {"KivDatasetWriter_writeRecordN_1old", 20},
    {"KivDatasetInputStream_openN", 12}, {"KivDatasetInputStream_closeN", 12},
    {"KivDatasetInputStream_readBytesN", 20},
    {"KivDatasetOutputStream_openN", 12}, {"KivDatasetOutputStream_closeN", 12},
    {"KivDatasetOutputStream_writeBytesN", 20},
    {"KivDatasetUtilities_memberExistsN", 16},
};

std::map<std::string, FARPROC> entries;

template <class F>
F method(const std::string& name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(entries.at(name)));
}

using ObjFn = jint(JNICALL*)(JNIEnv*, jobject);
using OpenFn = jint(JNICALL*)(JNIEnv*, jobject, jstring);
using CloseFn = void(JNICALL*)(JNIEnv*, jobject, jint);
using ReadRecordFn = jstring(JNICALL*)(JNIEnv*, jobject, jint);
using ReadOldFn = jint(JNICALL*)(JNIEnv*, jobject, jint, jcharArray);
using WriteRecordFn = jint(JNICALL*)(JNIEnv*, jobject, jint, jstring);
using WriteOldFn = jint(JNICALL*)(JNIEnv*, jobject, jint, jcharArray, jint);
using BytesFn = jint(JNICALL*)(JNIEnv*, jobject, jint, jbyteArray, jint);
using MemberFn = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring);

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kivutils_streams_wine <kivutils.dll> <trace file>\n");
    return 100;
  }
  // What this C library makes of the writer's host open mode.
  errno = 0;
  std::FILE* probe = std::fopen("mode-probe.txt", "wt,recfm=*");
  std::printf("note: fopen(\"wt,recfm=*\") here: %s (errno %d)\n", probe ? "opens" : "fails", errno);
  if (probe) std::fclose(probe);
  std::remove("mode-probe.txt");

  HMODULE lib = LoadLibraryA(argv[1]);
  check("LoadLibrary", lib != nullptr, argv[1]);
  if (!lib) return failures;
  for (const auto& [name, bytes] : kMethods) {
    std::string plain = "Java_com_zov_kiv_host_" + name;
    FARPROC p = GetProcAddress(lib, plain.c_str());
    check("export " + plain, p != nullptr);
    std::string decorated = plain + "@" + std::to_string(bytes);
    FARPROC d = GetProcAddress(lib, decorated.c_str());
    if (sizeof(void*) == 4)
      check("export " + decorated + " is the same function", d != nullptr && d == p);
    else
      check("no decoration on this architecture: " + decorated, d == nullptr);
    entries[name] = p;
  }
  if (failures) return failures;
  auto initTraceN = reinterpret_cast<jint(JNICALL*)(JNIEnv*, jclass, jstring, jint)>(
      reinterpret_cast<void*>(GetProcAddress(lib, "Java_com_zov_kiv_host_KivHostUtilities_initTraceN")));

  kivtest::FakeJni fake;
  JNIEnv* env = fake.env();
  kivtest::FakeClass* ddClass = fake.defineClass("com/zov/kiv/host/KivDatasetDD");
  for (const char* s : {"ivDDName", "ivDSName", "ivMember"}) fake.declare(ddClass, s, "Ljava/lang/String;");
  for (const char* s : {"ivRc", "ivErrcode", "ivInfocode", "ivSMSReason", "ivDyntHandle"}) fake.declare(ddClass, s, "I");
  for (const char* s : {"ivStatus", "ivNormdisp", "ivConddisp"}) fake.declare(ddClass, s, "B");
  kivtest::FakeClass* streamClass = fake.defineClass("com/zov/kiv/host/KivDatasetReader");
  fake.declare(streamClass, "dsorgHFS", "Z");
  fake.declare(streamClass, "ivMaxreclen", "I");
  fake.declare(streamClass, "errno", "I");
  fake.declare(streamClass, "strerror", "Ljava/lang/String;");
  check("initTraceN", initTraceN && initTraceN(env, streamClass, fake.string(argv[2]), 9) == 0);

  // Text mode: line ends become CR LF in the file and LF again when read.
  auto* writer = fake.newObject(streamClass);
  jint h = method<OpenFn>("KivDatasetWriter_openN")(env, writer, fake.string("//'ZZ.WINE(M1)'"));
  check("writer opens with \"wt,recfm=*\"", h != 0, "errno " + std::to_string(fake.value(writer, "errno").i));
  // Characters that are nothing once carriage returns are dropped write
  // nothing, and that is no failure (also on a fresh writer).
  check("writeRecordN_old of a lone CR", method<WriteOldFn>("KivDatasetWriter_writeRecordN_1old")(
                                             env, writer, h, fake.charArray({13}), 1) == 0);
  check("writeRecordN_old of a first NUL", method<WriteOldFn>("KivDatasetWriter_writeRecordN_1old")(
                                               env, writer, h, fake.charArray({0, 'x'}), 2) == 0);
  check("writeRecordN", method<WriteRecordFn>("KivDatasetWriter_writeRecordN")(env, writer, h, fake.string("line1\n")) == 6);
  check("writeRecordN_old", method<WriteOldFn>("KivDatasetWriter_writeRecordN_1old")(
                                env, writer, h, fake.charArray({'A', 'B', 13, 10}), 4) == 3);
  method<CloseFn>("KivDatasetWriter_closeN")(env, writer, h);
  std::string written = fileBytes("ZZ.WINE_M1_");
  check("file in text mode", written == "line1\r\nAB\r\n", std::to_string(written.size()) + " bytes");

  auto* reader = fake.newObject(streamClass);
  h = method<OpenFn>("KivDatasetReader_openN")(env, reader, fake.string("//'ZZ.WINE(M1)'"));
  check("reader open", h != 0);
  check("ivMaxreclen", fake.value(reader, "ivMaxreclen").i == 11);
  auto readRecordN = method<ReadRecordFn>("KivDatasetReader_readRecordN");
  jstring r1 = readRecordN(env, reader, h);
  check("record 1", text(r1) == "line1\n", text(r1));
  auto* chars = fake.charArray(std::vector<jchar>(5, '#'));
  check("readRecordN_old", method<ReadOldFn>("KivDatasetReader_readRecordN_1old")(env, reader, h, chars) == 3);
  check("characters", chars->chars == std::vector<jchar>{'A', 'B', '\n', 0, 0});
  check("end of data", readRecordN(env, reader, h) == nullptr);
  method<CloseFn>("KivDatasetReader_closeN")(env, reader, h);
  check("closed handle", readRecordN(env, reader, h) == nullptr);
  fake.deleteLocal(r1);

  // Binary streams keep every byte.
  auto* out = fake.newObject(streamClass);
  h = method<OpenFn>("KivDatasetOutputStream_openN")(env, out, fake.string("/u/wine/bin"));
  check("writeBytesN", method<BytesFn>("KivDatasetOutputStream_writeBytesN")(env, out, h, fake.byteArray({1, 13, 10, 26, -1}), 5) == 5);
  method<CloseFn>("KivDatasetOutputStream_closeN")(env, out, h);
  check("binary file", fileBytes("$u$wine$bin") == std::string("\x01\r\n\x1a\xff", 5));
  auto* in = fake.newObject(streamClass);
  h = method<OpenFn>("KivDatasetInputStream_openN")(env, in, fake.string("/u/wine/bin"));
  auto* bytes = fake.byteArray(std::vector<jbyte>(8, 7));
  auto readBytesN = method<BytesFn>("KivDatasetInputStream_readBytesN");
  check("readBytesN", readBytesN(env, in, h, bytes, 8) == 5);
  check("bytes", bytes->bytes == std::vector<jbyte>{1, 13, 10, 26, -1, 0, 0, 0});
  check("readBytesN at the end", readBytesN(env, in, h, bytes, 8) == -1);
  method<CloseFn>("KivDatasetInputStream_closeN")(env, in, h);

  // A DD with a generated name, read through "DD:".
  std::FILE* f = std::fopen("ZZ.WINE__", "w");
  if (f) std::fclose(f);
  auto* dd = fake.newObject(ddClass);
  fake.value(dd, "ivDSName").s = "ZZ.WINE";
  fake.value(dd, "ivMember").s = "M1";
  fake.value(dd, "ivStatus").b = 8;
  check("dyninitN", method<ObjFn>("KivDatasetDD_dyninitN")(env, dd) == 0);
  check("dynallocN", method<ObjFn>("KivDatasetDD_dynallocN")(env, dd) == 0);
  std::string ddName = fake.value(dd, "ivDDName").s.value_or("");
  check("generated name", ddName == "SYS00000", ddName);
  h = method<OpenFn>("KivDatasetReader_openN")(env, reader, fake.string("DD:" + ddName));
  jstring r2 = readRecordN(env, reader, h);
  check("record through the DD", text(r2) == "line1\n");
  fake.deleteLocal(r2);
  method<CloseFn>("KivDatasetReader_closeN")(env, reader, h);
  auto memberExistsN = method<MemberFn>("KivDatasetUtilities_memberExistsN");
  check("member M1 exists", memberExistsN(env, streamClass, fake.string(ddName), fake.string("M1")) == 1);
  check("member M2 does not", memberExistsN(env, streamClass, fake.string(ddName), fake.string("M2")) == 0);
  check("dynfreeN", method<ObjFn>("KivDatasetDD_dynfreeN")(env, dd) == 0);
  check("dyndestroyN", method<ObjFn>("KivDatasetDD_dyndestroyN")(env, dd) == 0);
  check("handle cleared", fake.value(dd, "ivDyntHandle").i == 0);

  // Many records, well past the writer's 64 KiB: every line end becomes
  // CR LF, nothing is lost or doubled where the buffer fills.
  h = method<OpenFn>("KivDatasetWriter_openN")(env, writer, fake.string("//'ZZ.MANY'"));
  std::string many;
  bool allWritten = true;
  for (int i = 0; i < 8000; ++i) {
    std::string line = "record " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 23), 'x') + "\n";
    many += line.substr(0, line.size() - 1) + "\r\n";
    jstring s = fake.string(line);
    allWritten = allWritten && method<WriteRecordFn>("KivDatasetWriter_writeRecordN")(env, writer, h, s) ==
                                   static_cast<jint>(line.size());
    fake.deleteLocal(s);
  }
  method<CloseFn>("KivDatasetWriter_closeN")(env, writer, h);
  check("many records written", allWritten);
  std::string manyFile = fileBytes("ZZ.MANY__");
  check("many records in text mode", manyFile == many,
        std::to_string(manyFile.size()) + " bytes, " + std::to_string(many.size()) + " expected");

  // Names that Windows would open as a device or change are no data sets.
  for (const char* name : {"//'NUL.DATA'", "//'CON.X(M1)'", "//'com1.list'", "/u/zz/x.", "/u/zz/x "}) {
    jint bad = method<OpenFn>("KivDatasetWriter_openN")(env, writer, fake.string(name));
    check(std::string("refused: ") + name, bad == 0);
    if (bad) method<CloseFn>("KivDatasetWriter_closeN")(env, writer, bad);
  }

  // A handle value that comes back (after 2048 uses of its slot) reaches
  // the new stream, though this thread used a closed one of that value.
  f = std::fopen("ZZ.REUSE__", "wb");
  if (f) {
    std::fputs("R1\r\n", f);
    std::fclose(f);
  }
  jint first = method<OpenFn>("KivDatasetReader_openN")(env, reader, fake.string("//'ZZ.REUSE'"));
  jstring before = readRecordN(env, reader, first);
  check("reuse: first stream", text(before) == "R1\n", text(before));
  fake.deleteLocal(before);
  method<CloseFn>("KivDatasetReader_closeN")(env, reader, first);
  jint again = 0;
  int opens = 0;
  for (; opens < 10000 && again != first; ++opens) {
    again = method<OpenFn>("KivDatasetReader_openN")(env, reader, fake.string("//'ZZ.REUSE'"));
    if (again != first) method<CloseFn>("KivDatasetReader_closeN")(env, reader, again);
  }
  check("reuse: the value came back", again == first, std::to_string(opens) + " opens");
  jstring after = readRecordN(env, reader, again);
  check("reuse: the new stream's first record", text(after) == "R1\n", text(after));
  fake.deleteLocal(after);
  method<CloseFn>("KivDatasetReader_closeN")(env, reader, again);

  // A record that starts with NUL is empty, not the end; bytes that are not
  // modified UTF-8 reach the VM as modified UTF-8 of their characters.
  f = std::fopen("ZZ.ODD__", "wb");
  if (f) {
    std::fwrite("\0abc\r\n25\xB0" "C\r\na\xF0\x9F\x98\x80\r\n", 1, 19, f);
    std::fclose(f);
  }
  h = method<OpenFn>("KivDatasetReader_openN")(env, reader, fake.string("//'ZZ.ODD'"));
  const char* expected[] = {"", "25\xC2\xB0" "C\n", "a\xED\xA0\xBD\xED\xB8\x80\n"};
  for (const char* e : expected) {
    jstring got = readRecordN(env, reader, h);
    check("odd record", got && text(got) == e, text(got));
    fake.deleteLocal(got);
  }
  check("odd records: end", readRecordN(env, reader, h) == nullptr);
  method<CloseFn>("KivDatasetReader_closeN")(env, reader, h);

  check("local references released", fake.localRefsHeld() == 0);
  check("no JNI call with an exception pending", fake.callsWithExceptionPending == 0);
  FreeLibrary(lib);
  std::printf("%d failed\n", failures);
  return failures;
}
