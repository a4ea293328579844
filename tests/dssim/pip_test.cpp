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

// Every field with a value of its own (negative where the field is signed,
// above the signed range where it is not), written out by hand from the
// table of positions: a swapped, dropped or sign-changed field shows in
// either direction.
const std::string kDistinct =
    "DD00 $ DS.01 $ -11 $ SO03 $ MB04 $ -12 $ -13 $ -14 $ UN08 $ VS09 $ -1510 $ -16 $ -1700000 $ -1800000 $ "
    "-1900 $ -2000 $ 65021 $ VR.17 $ DR.18 $ DD19 $ 221 $ PW21 $ -2200 $ -2300 $ -2400000 $ -2500000 $ SC26 $ "
    "MC27 $ DC28 $ RD29 $ LK.30 $ 231 $ /p/32 $ -3300000 $ -3400000 $ -35 $ -36 $ -37 $ -3800000 $ -3900000 $ "
    "-40 $ -4100000 $  $$$ ";

PIP distinctRecord() {
  PIP p;
  p.ddName = "DD00"; p.dsName = "DS.01"; p.sysoutClass = -11; p.sysoutName = "SO03"; p.member = "MB04";
  p.status = -12; p.normdisp = -13; p.conddisp = -14; p.unit = "UN08"; p.volser = "VS09";
  p.dsorg = -1510; p.alcunit = -16; p.primary = -1700000; p.secondary = -1800000; p.recfm = -1900;
  p.blksize = -2000; p.lrecl = 65021; p.volRefDSName = "VR.17"; p.dcbRefDSName = "DR.18"; p.dcbRefDDName = "DD19";
  p.miscflags = 221; p.password = "PW21"; p.infocode = -2200; p.errcode = -2300; p.dirblk = -2400000;
  p.avgblk = -2500000; p.storclass = "SC26"; p.mgntclass = "MC27"; p.dataclass = "DC28"; p.refDDName = "RD29";
  p.likeDS = "LK.30"; p.dsnType = 231; p.pathString = "/p/32"; p.pathopts = -3300000; p.pathmode = -3400000;
  p.pathNDisp = -35; p.pathCDisp = -36; p.privateVolume = -37; p.volumeSequenceNumber = -3800000;
  p.volumeCount = -3900000; p.label = -40; p.datasetSequenceNumber = -4100000;
  return p;
}

TEST(PipString, AllFortyTwoValuesAgainstALiteral) {
  EXPECT_EQ(makeStringFromPIP(distinctRecord()), kDistinct);

  PIP p = parse(kDistinct);
  EXPECT_EQ(p.ddName, "DD00"); EXPECT_EQ(p.dsName, "DS.01"); EXPECT_EQ(p.sysoutClass, -11);
  EXPECT_EQ(p.sysoutName, "SO03"); EXPECT_EQ(p.member, "MB04"); EXPECT_EQ(p.status, -12);
  EXPECT_EQ(p.normdisp, -13); EXPECT_EQ(p.conddisp, -14); EXPECT_EQ(p.unit, "UN08");
  EXPECT_EQ(p.volser, "VS09"); EXPECT_EQ(p.dsorg, -1510); EXPECT_EQ(p.alcunit, -16);
  EXPECT_EQ(p.primary, -1700000); EXPECT_EQ(p.secondary, -1800000); EXPECT_EQ(p.recfm, -1900);
  EXPECT_EQ(p.blksize, -2000); EXPECT_EQ(p.lrecl, 65021); EXPECT_EQ(p.volRefDSName, "VR.17");
  EXPECT_EQ(p.dcbRefDSName, "DR.18"); EXPECT_EQ(p.dcbRefDDName, "DD19"); EXPECT_EQ(p.miscflags, 221);
  EXPECT_EQ(p.password, "PW21"); EXPECT_EQ(p.infocode, -2200); EXPECT_EQ(p.errcode, -2300);
  EXPECT_EQ(p.dirblk, -2400000); EXPECT_EQ(p.avgblk, -2500000); EXPECT_EQ(p.storclass, "SC26");
  EXPECT_EQ(p.mgntclass, "MC27"); EXPECT_EQ(p.dataclass, "DC28"); EXPECT_EQ(p.refDDName, "RD29");
  EXPECT_EQ(p.likeDS, "LK.30"); EXPECT_EQ(p.dsnType, 231); EXPECT_EQ(p.pathString, "/p/32");
  EXPECT_EQ(p.pathopts, -3300000); EXPECT_EQ(p.pathmode, -3400000); EXPECT_EQ(p.pathNDisp, -35);
  EXPECT_EQ(p.pathCDisp, -36); EXPECT_EQ(p.privateVolume, -37); EXPECT_EQ(p.volumeSequenceNumber, -3800000);
  EXPECT_EQ(p.volumeCount, -3900000); EXPECT_EQ(p.label, -40); EXPECT_EQ(p.datasetSequenceNumber, -4100000);
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
