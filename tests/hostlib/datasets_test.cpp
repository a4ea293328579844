// DD objects and data-set streams driven through the stand-in JNIEnv, in a
// directory of their own: field conversions, result fields, stale handles,
// the reader's memory, the character mappings, and many threads at once.
#include "com_zov_kiv_host_KivDatasetDD.h"
#include "com_zov_kiv_host_KivDatasetInputStream.h"
#include "com_zov_kiv_host_KivDatasetOutputStream.h"
#include "com_zov_kiv_host_KivDatasetReader.h"
#include "com_zov_kiv_host_KivDatasetUtilities.h"
#include "com_zov_kiv_host_KivDatasetWriter.h"
#include "fakejni.h"
#include "kivdd.h"
#include "kivglobalref.h"
#include "kivlinebuffer.h"
#include "kivrecordstrings.h"
#include "kivstreams.h"
#include "test_trace.h"
#include "wait.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

using ::testing::Contains;
using ::testing::IsSupersetOf;
namespace ku = kiv::utils;

namespace {

constexpr const char* kString = "Ljava/lang/String;";

// The Java classes as the library sees them.
struct HostClasses {
  explicit HostClasses(kivtest::FakeJni& f) : fake(f) {
    dd = fake.defineClass("com/zov/kiv/host/KivDatasetDD");
    for (const char* s : {"ivDDName", "ivDSName", "ivMember", "ivVolser", "ivUnit", "ivVolRefDSName",
                          "ivDCBRefDSName", "ivDCBRefDDName", "ivStorclass", "ivMgntclass", "ivDataclass",
                          "ivLikeDS", "ivSysoutClass", "ivSysoutName", "ivRefDDName", "ivPassword", "ivPathString"})
      fake.declare(dd, s, kString);
    for (const char* s : {"ivVolumeSequenceNumber", "ivVolumeCount", "ivDatasetSequenceNumber", "ivDSORG",
                          "ivAvgblk", "ivPrimary", "ivSecondary", "ivDirblk", "ivMiscflags", "ivBlksize", "ivLrecl",
                          "ivPathopts", "ivPathmode", "ivRc", "ivErrcode", "ivInfocode", "ivSMSReason",
                          "ivDyntHandle"})
      fake.declare(dd, s, "I");
    for (const char* s : {"ivLabel", "ivStatus", "ivNormdisp", "ivConddisp", "ivAlcunit", "ivRecfm", "ivDSNType",
                          "ivPathNDisp", "ivPathCDisp"})
      fake.declare(dd, s, "B");
    fake.declare(dd, "ivPrivate", "Z");
    stream = fake.defineClass("com/zov/kiv/host/KivDatasetReader");
    fake.declare(stream, "dsorgHFS", "Z");
    fake.declare(stream, "ivMaxreclen", "I");
    fake.declare(stream, "errno", "I");
    fake.declare(stream, "strerror", kString);
    utilities = fake.defineClass("com/zov/kiv/host/KivDatasetUtilities");
  }
  kivtest::FakeObject* newDD(const char* ddName, const char* dsName, const char* member, int status) {
    auto* o = fake.newObject(dd);
    if (ddName) fake.value(o, "ivDDName").s = ddName;
    if (dsName) fake.value(o, "ivDSName").s = dsName;
    if (member) fake.value(o, "ivMember").s = member;
    fake.value(o, "ivStatus").b = static_cast<jbyte>(status);
    fake.value(o, "ivNormdisp").b = 8;
    fake.value(o, "ivConddisp").b = 8;
    return o;
  }
  kivtest::FakeJni& fake;
  kivtest::FakeClass* dd;
  kivtest::FakeClass* stream;
  kivtest::FakeClass* utilities;
};

class Datasets : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(trace_.dir());
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    EXPECT_EQ(fake_.localRefsHeld(), 0u);
    EXPECT_EQ(fake_.utfCharsHeld(), 0);
    EXPECT_EQ(fake_.callsWithExceptionPending, 0);
    EXPECT_EQ(fake_.globalRefsHeld, 0);
  }
  static void write(const std::string& file, const std::string& text) { kivtest::writeFile(file, text); }
  int field(kivtest::FakeObject* o, const char* name) { return fake_.value(o, name).i; }

  kivtest::TraceFile trace_{9};
  std::filesystem::path old_;
  kivtest::FakeJni fake_;
  HostClasses classes_{fake_};
  JNIEnv* env_ = fake_.env();
};

TEST_F(Datasets, DyninitConvertsTheFields) {
  auto* o = classes_.newDD(nullptr, "ZZ.DATA", "M1", 8);
  fake_.value(o, "ivSysoutClass").s = "ABC";
  fake_.value(o, "ivRecfm").b = -112;
  fake_.value(o, "ivLrecl").i = 65536;
  fake_.value(o, "ivDSORG").i = 0x12345;
  fake_.value(o, "ivMiscflags").i = 0x1FF;
  fake_.value(o, "ivPrivate").z = 1;
  ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env_, o), 0);
  auto pip = ku::ddRequest(field(o, "ivDyntHandle"));
  ASSERT_TRUE(pip);
  EXPECT_EQ(pip->ddName, "????????");
  EXPECT_EQ(pip->sysoutClass, 'A');
  EXPECT_EQ(pip->recfm, -112);
  EXPECT_EQ(pip->lrecl, 0);
  EXPECT_EQ(pip->dsorg, 0x2345);
  EXPECT_EQ(pip->miscflags, 0xFF);
  EXPECT_EQ(pip->privateVolume, 1);
  ASSERT_TRUE(pip->requestExtension);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pip->requestExtension->bytes), 7), std::string("S99RBX\1"));
  jstring text = Java_com_zov_kiv_host_KivDatasetDD_toHexStringN(env_, o);
  ASSERT_TRUE(text);
  EXPECT_EQ(static_cast<kivtest::FakeString*>(text)->text.rfind("???????? $ ZZ.DATA $ ", 0), 0u);
  fake_.deleteLocal(text);

  auto* noClass = classes_.newDD("X", nullptr, nullptr, 8);
  fake_.value(noClass, "ivSysoutClass").s = std::nullopt;
  ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env_, noClass), 0);
  EXPECT_EQ(ku::ddRequest(field(noClass, "ivDyntHandle"))->sysoutClass, 0);
  for (auto* d : {o, noClass}) {
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env_, d), 0);
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(env_, d), 0);
    EXPECT_EQ(field(d, "ivDyntHandle"), 0);
  }
}

TEST_F(Datasets, SmsReasonOnlyForSmsCodes) {
  auto* o = classes_.newDD("SMSDD", "ZZ.X", nullptr, 0);
  fake_.value(o, "ivSMSReason").i = 55;
  ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env_, o), 0);
  auto pip = ku::ddRequest(field(o, "ivDyntHandle"));
  pip->errcode = 0x4704;
  Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env_, o);
  EXPECT_EQ(field(o, "ivSMSReason"), 55);
  EXPECT_EQ(field(o, "ivErrcode"), 0x4704);
  pip->errcode = static_cast<int16_t>(0x9705);
  uint32_t reason = 1234;
  for (int i = 0; i < 4; ++i) pip->requestExtension->bytes[32 + i] = static_cast<uint8_t>(reason >> (24 - 8 * i));
  Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env_, o);
  EXPECT_EQ(field(o, "ivErrcode"), 0x9705);
  EXPECT_EQ(field(o, "ivSMSReason"), static_cast<int>(pip->requestExtension->smsReason()));
  pip.reset();
  Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(env_, o);
}

TEST_F(Datasets, AllocationLines) {
  kiv::PIP pip;
  pip.ddName = "SYSUT1";
  pip.dsName = "ZZ.DATA";
  pip.member = "M1";
  pip.volser = "VOL001";
  pip.status = pip.normdisp = pip.conddisp = 8;
  EXPECT_EQ(ku::allocationLine(pip, 0),
            "\tAlloc    DD=SYSUT1 (ZZ.DATA(M1), VOL=SER=VOL001, DISP=(SHR,KEEP,KEEP))   rc=0 (0,0)\n");
  pip.dsName.reset();
  pip.member.reset();
  pip.volser.reset();
  pip.sysoutName = "OUT";
  pip.unit = "SYSDA";
  pip.status = 3;
  pip.errcode = static_cast<int16_t>(0x9705);
  EXPECT_EQ(ku::allocationLine(pip, 4), "\tAlloc    DD=SYSUT1 (OUT, UNIT=SYSDA, DISP=(,KEEP,KEEP))   rc=4 (9705,0)\n");
  pip.pathString = "/u/a";
  pip.pathNDisp = 4;
  pip.pathCDisp = 2;
  EXPECT_EQ(ku::allocationLine(pip, 0), "\tAlloc    DD=SYSUT1 (/u/a, PATHDISP=(DELETE,CATLG))   rc=0 (9705,0)\n");
}

TEST_F(Datasets, StaleHandlesFailCleanly) {
  auto* reader = fake_.newObject(classes_.stream);
  write("ZZ.DATA__", "a\n");
  jint h = Java_com_zov_kiv_host_KivDatasetReader_openN(env_, reader, fake_.string("ZZ.DATA__"));
  ASSERT_NE(h, 0);
  Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
  Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, reader, h), nullptr);
  for (jint bad : {h, 0, -1, 0x7FFFFFFF}) {
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN_1old(env_, reader, bad, fake_.charArray({0})), -1);
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, reader, bad, fake_.string("x")), -1);
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, reader, bad, fake_.byteArray({0}), 1), -1);
    EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetOutputStream_writeBytesN(env_, reader, bad, fake_.byteArray({0}), 1), -1);
  }
  EXPECT_THAT(trace_.lines(), Contains("\tError: handle 0 is not open"));
}

TEST_F(Datasets, RecordsAndCharacterArrays) {
  auto* writer = fake_.newObject(classes_.stream);
  jint h = Java_com_zov_kiv_host_KivDatasetWriter_openN(env_, writer, fake_.string("/u/zz/a.txt"));
  ASSERT_NE(h, 0);
  EXPECT_EQ(fake_.value(writer, "ivMaxreclen").i, 65535);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, writer, h, fake_.string("")), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN_1old(env_, writer, h,
                                                                     fake_.charArray({'A', 'B', 13, 10}), 4), 3);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, writer, h, fake_.string("X\tY\n")), 4);
  Java_com_zov_kiv_host_KivDatasetWriter_closeN(env_, writer, h);
  EXPECT_EQ(kivtest::readFile("$u$zz$a.txt"), "AB\nX\tY\n");

  auto* reader = fake_.newObject(classes_.stream);
  h = Java_com_zov_kiv_host_KivDatasetReader_openN(env_, reader, fake_.string("/u/zz/a.txt"));
  EXPECT_EQ(fake_.value(reader, "dsorgHFS").z, JNI_TRUE);
  jstring first = Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, reader, h);
  ASSERT_TRUE(first);
  EXPECT_EQ(static_cast<kivtest::FakeString*>(first)->text, "AB\n");
  fake_.deleteLocal(first);
  auto* chars = fake_.charArray(std::vector<jchar>(10, '#'));
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN_1old(env_, reader, h, chars), 4);
  EXPECT_EQ(chars->chars, (std::vector<jchar>{'X', ' ', 'Y', '\n', 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN_1old(env_, reader, h, chars), -1);
  Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
}

// ivMaxreclen is read on every call, from whichever object makes it.
TEST_F(Datasets, MaxreclenReadOnEveryCall) {
  write("ZZ.M__", "abcdef\nxy\n");
  auto* reader = fake_.newObject(classes_.stream);
  jint h = Java_com_zov_kiv_host_KivDatasetReader_openN(env_, reader, fake_.string("ZZ.M__"));
  fake_.value(reader, "ivMaxreclen").i = 4;
  auto read = [&](jobject o) {
    jstring s = Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, o, h);
    std::string t = s ? static_cast<kivtest::FakeString*>(s)->text : "<null>";
    if (s) fake_.deleteLocal(s);
    return t;
  };
  EXPECT_EQ(read(reader), "abcd");
  kivtest::FakeClass* other = fake_.defineClass("Other");
  fake_.declare(other, "ivMaxreclen", "I");
  auto* second = fake_.newObject(other);
  fake_.value(second, "ivMaxreclen").i = 100;
  EXPECT_EQ(read(second), "ef\n");
  fake_.value(reader, "ivMaxreclen").i = 0;
  EXPECT_EQ(read(reader), "<null>");
  Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
  EXPECT_THAT(trace_.lines(), Contains("\t\t\tgetInteger() : ivMaxreclen=4 (0x4)"));
}

TEST_F(Datasets, MappingAndModes) {
  for (int b : {7, 8, 9}) EXPECT_EQ(ku::mapRecordByte(static_cast<unsigned char>(b)), u' ');
  for (int b : {11, 12, 13}) EXPECT_EQ(ku::mapRecordByte(static_cast<unsigned char>(b)), u'\n');
  EXPECT_EQ(ku::mapRecordByte(0xE9), 0xE9);
  EXPECT_EQ(ku::mapRecordByte(10), 10);
  EXPECT_EQ(ku::hostOpenMode("wt,recfm=*"), "wt");
  EXPECT_EQ(ku::hostOpenMode("rb"), "rb");
  EXPECT_EQ(ku::maxRecordLength(0), 65535);
  EXPECT_EQ(ku::maxRecordLength(12), 12);
  EXPECT_EQ(ku::maxRecordLength(5LL << 30), 0x7FFFFFFF);
}

// Reads every record of f with maximum maxChars; texts as C strings see them.
std::vector<std::string> records(std::FILE* f, std::size_t maxChars, ku::LineBuffer& lines) {
  std::vector<std::string> out;
  ku::LineBuffer::Record r;
  bool grown = false;
  while (lines.next(f, maxChars, r, grown) == ku::LineBuffer::Status::kRecord) out.emplace_back(r.data, r.length);
  return out;
}

TEST_F(Datasets, ReaderMemoryFollowsTheLongestLine) {
  std::string shortLines;
  for (int i = 0; i < 20000; ++i) shortLines += std::string(79, 'a' + i % 26) + "\n";
  std::string longLine(300000, 'L');
  write("f", shortLines + longLine + "\n" + "tail");
  std::FILE* f = std::fopen("f", "r");
  ASSERT_TRUE(f);
  ku::LineBuffer lines;
  ku::LineBuffer::Record r;
  bool grown = false;
  // A maximum as large as a 1 GiB file's: the buffer stays at one step.
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(lines.next(f, 1u << 30, r, grown), ku::LineBuffer::Status::kRecord);
    ASSERT_EQ(r.length, 80u);
    ASSERT_EQ(r.offset, 80u * static_cast<unsigned>(i));
  }
  EXPECT_LE(lines.capacity(), 64u * 1024 + 2);
  ASSERT_EQ(lines.next(f, 1u << 30, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_TRUE(grown);
  EXPECT_EQ(std::string(r.data, r.length), longLine + "\n");
  ASSERT_EQ(lines.next(f, 1u << 30, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_EQ(std::string(r.data, r.length), "tail");
  EXPECT_EQ(lines.next(f, 1u << 30, r, grown), ku::LineBuffer::Status::kEnd);
  EXPECT_EQ(lines.next(f, 1u << 30, r, grown), ku::LineBuffer::Status::kEnd);
  std::fclose(f);
}

// Records come out as fgets(buffer, maximum + 1) gives them: cut at the
// maximum, the rest with the next read; a NUL ends the text but not the
// record; the first buffer is as large as a C string of the maximum.
TEST_F(Datasets, RecordsAsTheCLibraryReadsThem) {
  write("g", std::string("abcdef\nxy\0z\n\nlast", 18));
  std::FILE* f = std::fopen("g", "r");
  ASSERT_TRUE(f);
  ku::LineBuffer lines;
  ku::LineBuffer::Record r;
  bool grown = false;
  ASSERT_EQ(lines.next(f, 4, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_TRUE(grown);
  EXPECT_EQ(lines.capacity(), 6u);
  EXPECT_EQ(std::string(r.data, r.length), "abcd");
  ASSERT_EQ(lines.next(f, 4, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_EQ(std::string(r.data, r.length), "ef\n");
  ASSERT_EQ(lines.next(f, 100, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_EQ(r.consumed, 5u);
  EXPECT_EQ(std::string(r.data, r.length), "xy");
  EXPECT_EQ(r.offset, 7u);
  EXPECT_EQ(records(f, 100, lines), (std::vector<std::string>{"\n", "last"}));
  std::fclose(f);

  // Byte reads on the same stream get what the records left buffered first.
  write("h", "one\ntwo\nthree\n");
  f = std::fopen("h", "r");
  ku::LineBuffer more;
  ASSERT_EQ(more.next(f, 100, r, grown), ku::LineBuffer::Status::kRecord);
  EXPECT_EQ(more.pending(), "two\nthree\n");
  char bytes[5];
  EXPECT_EQ(more.take(bytes, 5), 5u);
  EXPECT_EQ(std::string(bytes, 5), "two\nt");
  EXPECT_EQ(more.offset(), 9u);
  EXPECT_FALSE(more.takeKnown(6, r));  // only 5 are buffered
  EXPECT_TRUE(more.takeKnown(5, r));
  EXPECT_EQ(std::string(r.data, r.length), "hree\n");
  EXPECT_EQ(more.next(f, 100, r, grown), ku::LineBuffer::Status::kEnd);
  std::fclose(f);
}

// The runs of records that the library makes into Strings ahead: whole plain
// ASCII lines within the maximum, from the front, up to the size asked.
TEST_F(Datasets, RunsOfPlainRecords) {
  using Ends = std::vector<jint>;
  EXPECT_EQ(ku::plainRecordEnds("ab\ncd\nef", 100, 1000), (Ends{3, 6}));
  EXPECT_EQ(ku::plainRecordEnds("ab\ncd\xe9\nef\n", 100, 1000), (Ends{3}));
  EXPECT_EQ(ku::plainRecordEnds(std::string("ab\nc\0d\n", 8), 100, 1000), (Ends{3}));
  EXPECT_EQ(ku::plainRecordEnds("\xc3\xa9\nab\n", 100, 1000), Ends{});
  EXPECT_EQ(ku::plainRecordEnds("abcdef\nab\n", 4, 1000), Ends{});  // longer than the maximum
  EXPECT_EQ(ku::plainRecordEnds("ab\ncdefgh\nij\n", 4, 1000), (Ends{3}));
  EXPECT_EQ(ku::plainRecordEnds("ab\ncd\nef\ngh\n", 100, 6), (Ends{3, 6}));
  EXPECT_EQ(ku::plainRecordEnds("ab\ncd\nef\ngh\n", 100, 5), (Ends{3}));
  EXPECT_EQ(ku::plainRecordEnds("abcdef\n", 100, 5), Ends{});  // longer than a run may be
  // Every position of a bad character in a long line is seen.
  std::string line(40, 'x');
  for (std::size_t at = 0; at < line.size(); ++at) {
    std::string bad = line;
    bad[at] = '\x80';
    EXPECT_EQ(ku::plainRecordEnds(bad + "\n", 100, 1000), Ends{}) << at;
  }
  EXPECT_EQ(ku::plainRecordEnds(line + "\n", 100, 1000), (Ends{41}));
}

// Record streams read and write through a large buffer of their own: lines
// across its boundary, a CR LF pair split by it, a line longer than it and a
// last line without a line end come back exactly as they are in the file.
TEST_F(Datasets, RecordsAcrossTheStreamBuffer) {
  std::vector<std::string> lines;
  std::size_t size = 0;
  for (int i = 0; size < 65535 - 97; ++i) {
    lines.push_back(std::string(96, static_cast<char>('a' + i % 26)) + "\n");
    size += 97;
  }
  // A line that ends in CR LF with the CR as the buffer's last byte.
  std::string crlf = std::string(65535 - size - 1, 'c') + "\r\n";
  lines.push_back(crlf);
  lines.push_back(std::string(200000, 'L') + "\n");  // longer than the buffer
  for (int i = 0; i < 700; ++i) lines.push_back(std::string(1 + i % 150, static_cast<char>('A' + i % 26)) + "\n");
  lines.push_back("tail");
  std::string text;
  for (const std::string& l : lines) text += l;
  ASSERT_EQ(text.compare(65534, 2, "\r\n"), 0);

  auto* writer = fake_.newObject(classes_.stream);
  jint h = Java_com_zov_kiv_host_KivDatasetWriter_openN(env_, writer, fake_.string("ZZ.BIG"));
  ASSERT_NE(h, 0);
  for (const std::string& l : lines) {
    jstring s = fake_.string(l.c_str());
    ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, writer, h, s), static_cast<jint>(l.size()));
    fake_.deleteLocal(s);
  }
  Java_com_zov_kiv_host_KivDatasetWriter_closeN(env_, writer, h);
  ASSERT_EQ(kivtest::readFile("ZZ.BIG"), text);

  auto* reader = fake_.newObject(classes_.stream);
  h = Java_com_zov_kiv_host_KivDatasetReader_openN(env_, reader, fake_.string("ZZ.BIG"));
  ASSERT_NE(h, 0);
  EXPECT_EQ(fake_.value(reader, "ivMaxreclen").i, static_cast<jint>(text.size()));
  std::size_t n = 0;
  for (jstring s; (s = Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, reader, h)) != nullptr; ++n) {
    ASSERT_LT(n, lines.size());
    EXPECT_EQ(static_cast<kivtest::FakeString*>(s)->text, lines[n]) << "record " << n;
    fake_.deleteLocal(s);
  }
  EXPECT_EQ(n, lines.size());
  // The stand-in refuses the library's class for records in bulk: every
  // record took NewStringUTF, and no refusal was left pending.
  EXPECT_GT(fake_.classLookups, 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, reader, h), nullptr);  // stays at the end
  Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
}

TEST_F(Datasets, BytesAtTheEnd) {
  auto* out = fake_.newObject(classes_.stream);
  jint h = Java_com_zov_kiv_host_KivDatasetOutputStream_openN(env_, out, fake_.string("//'ZZ.BIN'"));
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetOutputStream_writeBytesN(env_, out, h, fake_.byteArray({1, 2, -3}), 3), 3);
  Java_com_zov_kiv_host_KivDatasetOutputStream_closeN(env_, out, h);
  auto* in = fake_.newObject(classes_.stream);
  h = Java_com_zov_kiv_host_KivDatasetInputStream_openN(env_, in, fake_.string("//'ZZ.BIN'"));
  auto* b = fake_.byteArray({9, 9});
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, in, h, b, 0), -1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, in, h, b, 5), 2);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, in, h, b, 2), 1);
  EXPECT_EQ(b->bytes, (std::vector<jbyte>{-3, 0}));
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, in, h, b, 2), -1);
  Java_com_zov_kiv_host_KivDatasetInputStream_closeN(env_, in, h);
  EXPECT_THAT(trace_.lines(), IsSupersetOf({"readBytesN() begin (readLen=0)", "\t            -3"}));
}

TEST_F(Datasets, MemberTestRestoresTheMember) {
  write("ZZ.SRC__", "");
  write("ZZ.SRC_MEMBER2_", "");
  auto* o = classes_.newDD("INDD1", "ZZ.SRC", "MEMBER1", 8);
  ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env_, o) + Java_com_zov_kiv_host_KivDatasetDD_dynallocN(env_, o), 0);
  jclass u = classes_.utilities;
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(env_, u, fake_.string("INDD1"), fake_.string("MEMBER2")), 1);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(env_, u, fake_.string("INDD1"), fake_.string("MEMBER3")), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(env_, u, fake_.string("NODD"), fake_.string("MEMBER2")), 0);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(env_, u, nullptr, fake_.string("MEMBER2")), -1);
  EXPECT_EQ(ku::ddRequest(field(o, "ivDyntHandle"))->member, "MEMBER1");
  Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env_, o);
  Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(env_, o);
}

// Threads that each allocate DDs, write a data set and read it back: each
// with its own JNIEnv, as each Java thread has its own.
TEST_F(Datasets, ManyThreadsOnDifferentStreams) {
  ku::setTraceLevel(0);
  constexpr int kThreads = 8, kLines = 300;
  std::vector<std::string> names(kThreads * 2);
  std::vector<int> problems(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      kivtest::FakeJni fake;
      HostClasses classes(fake);
      JNIEnv* env = fake.env();
      for (int round = 0; round < 2; ++round) {
        std::string ds = "ZZ.T" + std::to_string(t) + "R" + std::to_string(round);
        auto* dd = classes.newDD(nullptr, ds.c_str(), nullptr, 4);
        if (Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env, dd) + Java_com_zov_kiv_host_KivDatasetDD_dynallocN(env, dd)) {
          ++problems[t];
          continue;
        }
        std::string name = *fake.value(dd, "ivDDName").s;
        names[t * 2 + round] = name;
        auto* stream = fake.newObject(classes.stream);
        jint h = Java_com_zov_kiv_host_KivDatasetWriter_openN(env, stream, fake.string("DD:" + name));
        std::string expected;
        for (int i = 0; i < kLines; ++i) {
          std::string line = ds + " line " + std::to_string(i) + std::string(static_cast<size_t>(i % 50), 'x') + "\n";
          expected += line;
          if (Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env, stream, h, fake.string(line)) !=
              static_cast<jint>(line.size()))
            ++problems[t];
        }
        Java_com_zov_kiv_host_KivDatasetWriter_closeN(env, stream, h);
        h = Java_com_zov_kiv_host_KivDatasetReader_openN(env, stream, fake.string("DD:" + name));
        std::string got;
        while (jstring s = Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env, stream, h)) {
          got += static_cast<kivtest::FakeString*>(s)->text;
          fake.deleteLocal(s);
        }
        Java_com_zov_kiv_host_KivDatasetReader_closeN(env, stream, h);
        if (got != expected) ++problems[t];
        Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env, dd);
        Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(env, dd);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(problems, std::vector<int>(kThreads, 0));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_EQ(ku::ddRequestCount(), 0u);
}

}  // namespace

// One thread allocates and frees a DD over and over while another tests
// members of the same DD: the allocation lines never show the swapped
// member. Also run under ThreadSanitizer.
TEST_F(Datasets, ManyThreadsOnOneRequest) {
  ku::setTraceLevel(1);
  write("ZZ.RACE__", "");
  std::atomic<bool> stop{false};
  std::thread tester([&] {
    kivtest::FakeJni fake;
    HostClasses classes(fake);
    while (!stop) {
      jint rc = Java_com_zov_kiv_host_KivDatasetUtilities_memberExistsN(fake.env(), nullptr, fake.string("RACE"),
                                                                        fake.string("SWAPPED"));
      if (rc != 0) break;
    }
  });
  for (int i = 0; i < 300; ++i) {
    auto* dd = classes_.newDD("RACE", "ZZ.RACE", "M1", 8);
    ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dyninitN(env_, dd), 0);
    ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetDD_dynallocN(env_, dd), 0);
    Java_com_zov_kiv_host_KivDatasetDD_dynfreeN(env_, dd);
    Java_com_zov_kiv_host_KivDatasetDD_dyndestroyN(env_, dd);
  }
  stop = true;
  tester.join();
  int lines = 0;
  for (const std::string& line : trace_.lines()) {
    if (line.find("Alloc ") == std::string::npos) continue;
    ++lines;
    ASSERT_EQ(line, "\tAlloc    DD=RACE (ZZ.RACE(M1), DISP=(SHR,KEEP,KEEP))   rc=0 (0,0)");
  }
  EXPECT_EQ(lines, 300);
}

// What the library does at exit: the records of writers never closed are
// written out, also those of a writer whose thread is inside a call into the
// VM at that moment (it holds no stream then), and the streams are closed:
// the record that thread was taking is not written afterwards.
TEST_F(Datasets, OpenWritersAreWrittenOutAtExit) {
  ku::setTraceLevel(0);
  auto* idle = fake_.newObject(classes_.stream);
  jint h = Java_com_zov_kiv_host_KivDatasetWriter_openN(env_, idle, fake_.string("//'ZZ.IDLE'"));
  ASSERT_NE(h, 0);
  ASSERT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, idle, h, fake_.string("kept\n")), 5);

  // Another thread stays inside a record write on a stream of its own.
  std::atomic<bool> inside{false}, release{false};
  jint second = 0;
  std::thread busy([&] {
    kivtest::FakeJni fake;
    HostClasses classes(fake);
    auto* o = fake.newObject(classes.stream);
    jint busyHandle = Java_com_zov_kiv_host_KivDatasetWriter_openN(fake.env(), o, fake.string("//'ZZ.BUSY'"));
    Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(fake.env(), o, busyHandle, fake.string("first\n"));
    fake.duringStringRegion = [&] {
      inside = true;
      kivtest::waitFor([&] { return release.load(); }, "the main thread's release");
    };
    second = Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(fake.env(), o, busyHandle, fake.string("second\n"));
    fake.duringStringRegion = nullptr;
  });
  kivtest::waitFor([&] { return inside.load(); }, "the busy thread inside its record write");
  EXPECT_EQ(kivtest::readFile("ZZ.IDLE__"), "");
  ku::finishStreamsAtExit();
  EXPECT_EQ(kivtest::readFile("ZZ.IDLE__"), "kept\n");
  EXPECT_EQ(kivtest::readFile("ZZ.BUSY__"), "first\n") << "a thread inside the VM holds no stream";
  release = true;
  busy.join();
  EXPECT_EQ(second, -1) << "the stream was closed at exit";
  EXPECT_EQ(kivtest::readFile("ZZ.BUSY__"), "first\n");
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, idle, h, fake_.string("late\n")), -1);
  EXPECT_EQ(kivtest::readFile("ZZ.IDLE__"), "kept\n");
  ku::deleteRetiredRefs(env_);
}

// No stream's lock is held while the library calls into the VM, where a
// thread may stop for good when the VM ends: inside every call that a
// stream method makes, another thread can use the same stream at once.
TEST_F(Datasets, NoStreamIsLockedDuringACallIntoTheVm) {
  write("ZZ.PROBE__", "one\ntwo\nthree\n");
  auto* reader = fake_.newObject(classes_.stream);
  auto* writer = fake_.newObject(classes_.stream);
  jint r = Java_com_zov_kiv_host_KivDatasetReader_openN(env_, reader, fake_.string("//'ZZ.PROBE'"));
  jint in = Java_com_zov_kiv_host_KivDatasetInputStream_openN(env_, reader, fake_.string("//'ZZ.PROBE'"));
  jint w = Java_com_zov_kiv_host_KivDatasetWriter_openN(env_, writer, fake_.string("//'ZZ.PROBED'"));
  ASSERT_TRUE(r && in && w);
  jint current = 0;
  int probes = 0;
  std::atomic<int> blocked{0};
  std::vector<std::thread> waiting;  // probes that found the stream locked finish after the call
  fake_.duringCall = [&] {
    if (current == 0) return;
    ++probes;
    auto done = std::make_shared<std::atomic<bool>>(false);
    jint handle = current;
    waiting.emplace_back([handle, done] {
      kivtest::FakeJni other;
      HostClasses classes(other);
      Java_com_zov_kiv_host_KivDatasetOutputStream_writeBytesN(other.env(), other.newObject(classes.stream), handle,
                                                                other.byteArray({}), 0);
      *done = true;
    });
    for (int i = 0; i < 2000 && !*done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!*done) ++blocked;
  };
  auto drop = [&](jstring s) {
    if (s) fake_.deleteLocal(s);
  };
  current = r;
  drop(Java_com_zov_kiv_host_KivDatasetReader_readRecordN(env_, reader, r));
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetReader_readRecordN_1old(env_, reader, r, fake_.charArray({0, 0})), 2);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, reader, r, fake_.byteArray({0, 0}), 2), 2);
  current = in;
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetInputStream_readBytesN(env_, reader, in, fake_.byteArray({0, 0}), 2), 2);
  current = w;
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, writer, w, fake_.string("rec\n")), 4);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN_1old(env_, writer, w, fake_.charArray({'o', 'l', 'd'}), 3),
            3);
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetOutputStream_writeBytesN(env_, writer, w, fake_.byteArray({'b', '\n'}), 2),
            2);
  current = r;  // a write error (the reader's stream takes none) reports errno through the VM
  EXPECT_EQ(Java_com_zov_kiv_host_KivDatasetWriter_writeRecordN(env_, reader, r, fake_.string("x")), -1);
  EXPECT_NE(fake_.value(reader, "errno").i, 0);
  current = 0;
  for (std::thread& t : waiting) t.join();
  fake_.duringCall = nullptr;
  EXPECT_GT(probes, 15);
  EXPECT_EQ(blocked.load(), 0) << "a stream's lock was held during a call into the VM";
  for (jint h : {r, in, w}) Java_com_zov_kiv_host_KivDatasetReader_closeN(env_, reader, h);
  EXPECT_EQ(kivtest::readFile("ZZ.PROBED__"), "rec\noldb\n");
}
