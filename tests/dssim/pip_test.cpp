// The PIP record's string form: exact text, round trips, number widths.
#include "dssim_fixture.h"

#include <gmock/gmock.h>

#include <cstring>

using namespace kiv;

namespace {

const std::string kExample =
    "INDD1 $ ZZ.TEST.DATA $ 0 $ 00000000 $ 00000000 $ 0 $ 0 $ 0 $ 00000000 $ 00000000 $ 0 $ 0 $ 0 $ 0 $ "
    "0 $ 0 $ 0 $ 00000000 $ 00000000 $ 00000000 $ 0 $ 00000000 $ 0 $ 0 $ 0 $ 0 $ 00000000 $ 00000000 $ "
    "00000000 $ 00000000 $ 00000000 $ 0 $ 00000000 $ 0 $ 0 $ 0 $ 0 $ 0 $ 0 $ 0 $ 0 $ 0 $  $$$ ";

PIP parse(std::string text) {
  PIP p;
  fillPIPFromString(p, text.data());
  return p;
}

// A record with every field set to something other than its default.
PIP fullRecord() {
  PIP p;
  p.ddName = "DD1"; p.dsName = "A.B"; p.sysoutClass = 'A'; p.sysoutName = "WTR"; p.member = "M";
  p.status = -56; p.normdisp = 2; p.conddisp = 4; p.unit = "SYSDA"; p.volser = "VOL001";
  p.dsorg = -32768; p.alcunit = 3; p.primary = 2147483647; p.secondary = -2147483647 - 1; p.recfm = 0x90;
  p.blksize = 32760; p.lrecl = 65535; p.volRefDSName = "V.R"; p.dcbRefDSName = "D.R"; p.dcbRefDDName = "DDR";
  p.miscflags = 255; p.password = "PW"; p.infocode = 7; p.errcode = -1; p.dirblk = 5;
  p.avgblk = 6; p.storclass = "SC"; p.mgntclass = "MC"; p.dataclass = "DC"; p.refDDName = "RDD";
  p.likeDS = "L.DS"; p.dsnType = 200; p.pathString = "/u/zz/f"; p.pathopts = -9; p.pathmode = 0755;
  p.pathNDisp = 1; p.pathCDisp = 2; p.privateVolume = 1; p.volumeSequenceNumber = 3; p.volumeCount = 4;
  p.label = -1; p.datasetSequenceNumber = 99;
  return p;
}

TEST(PipString, ExampleByteForByte) {
  PIP p;
  p.ddName = "INDD1";
  p.dsName = "ZZ.TEST.DATA";
  std::string text = makeStringFromPIP(p);
  EXPECT_EQ(text, kExample);
  EXPECT_EQ(text.size(), 286u);
  PIP back = parse(text);
  EXPECT_EQ(makeStringFromPIP(back), kExample);
  EXPECT_EQ(back.ddName, "INDD1");
  EXPECT_FALSE(back.member.has_value());
}

TEST(PipString, EmptyRecordIsTheFixedPartAndAbsentStrings) {
  std::string text = makeStringFromPIP(PIP{});
  EXPECT_EQ(text.substr(0, 11), "00000000 $ ");
  EXPECT_EQ(text.substr(text.size() - 9), "0 $  $$$ ");
  PIP back = parse(text);
  EXPECT_FALSE(back.ddName.has_value());
  EXPECT_EQ(makeStringFromPIP(back), text);
}

TEST(PipString, EveryFieldRoundTrips) {
  PIP p = fullRecord();
  p.requestExtension = std::make_unique<RequestExtension>();
  std::string text = makeStringFromPIP(p);
  PIP back = parse(text);
  EXPECT_EQ(makeStringFromPIP(back), text);
  EXPECT_EQ(back.requestExtension, nullptr);  // never carried
  EXPECT_EQ(back.status, -56);
  EXPECT_EQ(back.lrecl, 65535);
  EXPECT_EQ(back.secondary, INT32_MIN);
  EXPECT_EQ(back.dsnType, 200);
  EXPECT_EQ(back.pathString, "/u/zz/f");
  EXPECT_THAT(text, ::testing::HasSubstr(" $ 65 $ "));      // sysoutClass 'A'
  EXPECT_THAT(text, ::testing::HasSubstr(" $ -56 $ "));     // status byte 0xC8
  EXPECT_THAT(text, ::testing::HasSubstr(" $ 32760 $ 65535 $ "));
}

TEST(PipString, NumbersKeepTheLowBitsOfTheirWidth) {
  // status (8 bits), dsorg (16), lrecl (unsigned 16), miscflags (unsigned 8)
  std::string t = "DD $ 00000000 $ 0 $ 00000000 $ 00000000 $ 200 $ 300 $ -129 $ 00000000 $ 00000000 $ 70000 $ "
                  "0 $ 4294967297 $ -4294967297 $ 0 $ 0 $ -1 $ 00000000 $ 00000000 $ 00000000 $ -1 $ ";
  PIP p = parse(t);
  EXPECT_EQ(p.status, -56);
  EXPECT_EQ(p.normdisp, 44);
  EXPECT_EQ(p.conddisp, 127);
  EXPECT_EQ(p.dsorg, 4464);
  EXPECT_EQ(p.primary, 1);
  EXPECT_EQ(p.secondary, -1);
  EXPECT_EQ(p.lrecl, 65535);
  EXPECT_EQ(p.miscflags, 255);
}

TEST(PipString, NumbersReadTheAtoiWay) {
  PIP p = parse("DD $ 00000000 $   -12abc $ 00000000 $ 00000000 $ +7 $ x $ ");
  EXPECT_EQ(p.sysoutClass, -12);
  EXPECT_EQ(p.status, 7);
  EXPECT_EQ(p.normdisp, 0);
}

TEST(PipString, ShortAndOverlongTexts) {
  PIP few = parse("A $ B $ ");
  EXPECT_EQ(few.ddName, "A");
  EXPECT_EQ(few.dsName, "B");
  EXPECT_FALSE(few.member.has_value());

  std::string more = kExample.substr(0, kExample.size() - 5) + "77 $ 88 $  $$$ ";
  PIP p = parse(more);
  EXPECT_EQ(makeStringFromPIP(p), kExample);

  PIP none = parse("no separator at all");
  EXPECT_FALSE(none.ddName.has_value());
  PIP empty = parse("");
  EXPECT_FALSE(empty.ddName.has_value());
  fillPIPFromString(empty, nullptr);
}

TEST(PipString, ParsingCutsTheTextAtTheFirstValue) {
  std::string text = kExample;
  PIP p;
  fillPIPFromString(p, text.data());
  EXPECT_STREQ(text.c_str(), "INDD1");
}

TEST(PipString, AbsentAndEmptyStrings) {
  PIP p = parse(" $ 00000000 $ ");
  EXPECT_EQ(p.ddName, "");  // present but empty
  EXPECT_FALSE(p.dsName.has_value());
}

TEST(PipString, CallersBufferTooSmallIsRefused) {
  PIP p;
  p.ddName = "INDD1";
  p.dsName = "ZZ.TEST.DATA";
  char buffer[kPipStringBufferSize];
  EXPECT_EQ(makeStringFromPIP(buffer, sizeof buffer, p), 0);
  EXPECT_EQ(buffer, kExample);
  char small[286];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(makeStringFromPIP(small, sizeof small, p), -1);
  EXPECT_STREQ(small, "");
  p.dsName = std::string(2000, 'D');
  EXPECT_EQ(makeStringFromPIP(buffer, sizeof buffer, p), -1);
}

TEST(RequestExtension, StartsWithItsEyecatcher) {
  RequestExtension x;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(x.bytes), 6), "S99RBX");
  EXPECT_EQ(x.bytes[6], 1);
  EXPECT_EQ(x.smsReason(), 0u);
}

}  // namespace
