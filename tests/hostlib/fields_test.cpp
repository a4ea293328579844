// The field helpers, String conversion and reportErrno through the stand-in
// JNIEnv: values, level-9 trace lines, missing fields, null and failing
// Strings.
#include "fakejni.h"
#include "kivutils.h"
#include "test_trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace ku = kiv::utils;

namespace {

class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    cls_ = fake_.defineClass("com/zov/kiv/host/KivDatasetDD");
    fake_.declare(cls_, "ivRc", "I");
    fake_.declare(cls_, "ivPrivate", "Z");
    fake_.declare(cls_, "ivStatus", "B");
    fake_.declare(cls_, "ivDDName", "Ljava/lang/String;");
    fake_.declare(cls_, "errno", "I");
    fake_.declare(cls_, "strerror", "Ljava/lang/String;");
    fake_.declare(cls_, "count", "I", true);
    fake_.declare(cls_, "title", "Ljava/lang/String;", true);
    obj_ = fake_.newObject(cls_);
  }
  void TearDown() override {
    EXPECT_EQ(fake_.localRefsHeld(), 0u) << "every local reference is deleted";
    EXPECT_EQ(fake_.badDeletes, 0);
    EXPECT_EQ(fake_.utfCharsHeld(), 0) << "every GetStringUTFChars is released";
    EXPECT_EQ(fake_.callsWithExceptionPending, 0);
  }
  JNIEnv* env() { return fake_.env(); }

  kivtest::FakeJni fake_;
  kivtest::FakeClass* cls_ = nullptr;
  kivtest::FakeObject* obj_ = nullptr;
};

TEST_F(Fields, ValuesAndTheirTraceLinesAtLevelNine) {
  kivtest::TraceFile trace(9);
  fake_.value(obj_, "ivRc").i = -2;
  fake_.value(obj_, "ivStatus").b = -128;
  fake_.value(obj_, "ivPrivate").z = JNI_TRUE;
  fake_.value(obj_, "ivDDName").s = "SYS00001";

  EXPECT_EQ(ku::getInteger(env(), obj_, cls_, "ivRc"), -2);
  EXPECT_EQ(ku::getByte(env(), obj_, cls_, "ivStatus"), -128);
  EXPECT_EQ(ku::getBoolean(env(), obj_, cls_, "ivPrivate"), 1);
  EXPECT_STREQ(ku::getString(env(), obj_, cls_, "ivDDName").get(), "SYS00001");
  ku::setInteger(env(), obj_, cls_, "ivRc", 255);
  ku::setBoolean(env(), obj_, cls_, "ivPrivate", 0);
  ku::setString(env(), obj_, cls_, "ivDDName", "DD1");
  ku::setStaticInteger(env(), cls_, "count", 7);
  ku::setStaticString(env(), cls_, "title", "T");

  EXPECT_EQ(fake_.value(obj_, "ivRc").i, 255);
  EXPECT_EQ(fake_.value(obj_, "ivPrivate").z, JNI_FALSE);
  EXPECT_EQ(fake_.value(obj_, "ivDDName").s, "DD1");
  EXPECT_EQ(fake_.staticValue(cls_, "count").i, 7);
  EXPECT_EQ(fake_.staticValue(cls_, "title").s, "T");
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\tgetInteger() : ivRc=-2 (0xfffffffe)",
                                         "\t\t\tgetByte()    : ivStatus=-128 (0xffffff80)",
                                         "\t\t\tgetBoolean() : ivPrivate=true",
                                         "\t\t\tgetString()  : ivDDName=\"SYS00001\"",
                                         "\t\t\tsetInteger() : ivRc=255 (0xff)",
                                         "\t\t\tsetBoolean() : ivPrivate=false",
                                         "\t\t\tsetString()  : ivDDName=\"DD1\"",
                                         "\t\t\tsetStaticInteger() : count=7 (0x7)",
                                         "\t\t\tsetStaticString()  : title=\"T\""));
}

TEST_F(Fields, FieldLinesNeedLevelNine) {
  kivtest::TraceFile trace(8);
  ku::setInteger(env(), obj_, cls_, "ivRc", 1);
  ku::getString(env(), obj_, cls_, "ivDDName");
  EXPECT_THAT(trace.lines(), IsEmpty());
}

TEST_F(Fields, NullStringsBothWays) {
  kivtest::TraceFile trace(9);
  fake_.value(obj_, "ivDDName").s = "X";
  ku::setString(env(), obj_, cls_, "ivDDName", nullptr);
  EXPECT_EQ(fake_.value(obj_, "ivDDName").s, std::nullopt) << "a null text stores null";
  EXPECT_EQ(ku::getString(env(), obj_, cls_, "ivDDName"), nullptr);
  ku::setStaticString(env(), cls_, "title", nullptr);
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\tsetString()  : ivDDName=\"<null>\"",
                                         "\t\t\tgetString()  : ivDDName=\"<null>\"",
                                         "\t\t\tsetStaticString()  : title=\"<null>\""));
}

TEST_F(Fields, BooleanTakesTheLowEightBits) {
  ku::setBoolean(env(), obj_, cls_, "ivPrivate", 0x100);
  EXPECT_EQ(fake_.value(obj_, "ivPrivate").z, JNI_FALSE);
  ku::setBoolean(env(), obj_, cls_, "ivPrivate", 0x102);
  EXPECT_EQ(fake_.value(obj_, "ivPrivate").z, JNI_TRUE) << "stored as true, never as 2";
}

TEST_F(Fields, MissingFieldIsSkippedTracedAndLeavesNoException) {
  kivtest::TraceFile trace(9);
  EXPECT_EQ(ku::getInteger(env(), obj_, cls_, "ivNothing"), 0);
  EXPECT_EQ(ku::getBoolean(env(), obj_, cls_, "ivNothing"), 0);
  EXPECT_EQ(ku::getByte(env(), obj_, cls_, "ivNothing"), 0);
  EXPECT_EQ(ku::getString(env(), obj_, cls_, "ivNothing"), nullptr);
  ku::setInteger(env(), obj_, cls_, "ivRc2", 5);
  ku::setStaticString(env(), cls_, "ivDDName", "x");  // an instance field, not a static one
  ku::getInteger(env(), obj_, cls_, "ivDDName");      // a String, not an int
  EXPECT_EQ(fake_.missingFieldLookups, 7);
  EXPECT_FALSE(fake_.exceptionPending) << "NoSuchFieldError must not stay pending";
  EXPECT_THAT(trace.lines(),
              ElementsAre("\t\t\t****** Field not found 'ivNothing' (I) ******", "\t\t\tgetInteger() : ivNothing=0 (0x0)",
                          "\t\t\t****** Field not found 'ivNothing' (Z) ******", "\t\t\tgetBoolean() : ivNothing=false",
                          "\t\t\t****** Field not found 'ivNothing' (B) ******", "\t\t\tgetByte()    : ivNothing=0 (0x0)",
                          "\t\t\t****** Field not found 'ivNothing' (Ljava/lang/String;) ******",
                          "\t\t\tgetString()  : ivNothing=\"<null>\"",
                          "\t\t\t****** Field not found 'ivRc2' (I) ******", "\t\t\tsetInteger() : ivRc2=5 (0x5)",
                          "\t\t\t****** Field not found 'ivDDName' (Ljava/lang/String;) ******",
                          "\t\t\tsetStaticString()  : ivDDName=\"x\"",
                          "\t\t\t****** Field not found 'ivDDName' (I) ******",
                          "\t\t\tgetInteger() : ivDDName=0 (0x0)"));
}

TEST_F(Fields, NotFoundLineIsWrittenFromLevelOne) {
  kivtest::TraceFile trace(1);
  ku::getInteger(env(), obj_, cls_, "ivNothing");
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\t****** Field not found 'ivNothing' (I) ******"));
}

TEST_F(Fields, LongNamesAreCopiedWhole) {
  std::string name(5000, 'n');
  fake_.declare(cls_, name, "I");
  fake_.value(obj_, name).i = 42;
  EXPECT_EQ(ku::getInteger(env(), obj_, cls_, name.c_str()), 42);
}

TEST_F(Fields, StringThatCannotBeMadeLeavesTheFieldAndNoException) {
  kivtest::TraceFile trace(1);
  fake_.value(obj_, "ivDDName").s = "OLD";
  fake_.failNewString = true;
  ku::setString(env(), obj_, cls_, "ivDDName", "NEW");
  ku::setStaticString(env(), cls_, "title", "T");
  EXPECT_EQ(fake_.value(obj_, "ivDDName").s, "OLD");
  EXPECT_EQ(fake_.staticValue(cls_, "title").s, std::nullopt);
  EXPECT_FALSE(fake_.exceptionPending);
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\tNewStringUTF() : ****** memory allocation error 'NEW' ******",
                                         "\t\t\tNewStringUTF() : ****** memory allocation error 'T' ******"));
}

TEST_F(Fields, ClassOfAnObject) {
  {
    auto cls = ku::classOf(env(), obj_);
    EXPECT_EQ(cls.get(), cls_);
    EXPECT_EQ(fake_.localRefsHeld(), 1u);
  }
  EXPECT_FALSE(ku::classOf(env(), nullptr));
}

TEST_F(Fields, GetStringCopiesAndReleases) {
  auto copy = ku::GetString(env(), fake_.string("h\xc3\xa9llo"));
  EXPECT_STREQ(copy.get(), "h\xc3\xa9llo");
}

TEST_F(Fields, GetStringOfNullOrFailingStringIsNullAndTraced) {
  kivtest::TraceFile trace(1);
  EXPECT_EQ(ku::GetString(env(), nullptr), nullptr);
  fake_.failUtfChars = true;
  EXPECT_EQ(ku::GetString(env(), fake_.string("abc")), nullptr);
  EXPECT_FALSE(fake_.exceptionPending);
  EXPECT_THAT(trace.lines(), ElementsAre("\t\t\tGetString() : ****** null String ******",
                                         "\t\t\tGetString() : ****** memory allocation error '' ******"));
}

TEST(ErrnoMessage, Forms) {
  EXPECT_EQ(ku::errnoMessage(2, "open"), std::string("open: ") + std::strerror(2));
  EXPECT_EQ(ku::errnoMessage(0, "open"), "open");
  EXPECT_EQ(ku::errnoMessage(2, nullptr), std::strerror(2));
  EXPECT_EQ(ku::errnoMessage(2, ""), std::strerror(2));
}

TEST_F(Fields, ReportErrnoOnObjectAndClass) {
  kivtest::TraceFile trace(1);
  errno = ENOENT;
  ku::reportErrno(env(), obj_, cls_, "open");
  EXPECT_EQ(fake_.value(obj_, "errno").i, ENOENT);
  std::string expected = std::string("open: ") + std::strerror(ENOENT);
  EXPECT_EQ(fake_.value(obj_, "strerror").s, expected);

  auto* statics = fake_.defineClass("com/zov/kiv/host/KivHFSFile");
  fake_.declare(statics, "errno", "I", true);
  fake_.declare(statics, "strerror", "Ljava/lang/String;", true);
  errno = EACCES;
  ku::reportErrno(env(), nullptr, statics, nullptr);
  EXPECT_EQ(fake_.staticValue(statics, "errno").i, EACCES);
  EXPECT_EQ(fake_.staticValue(statics, "strerror").s, std::strerror(EACCES));

  errno = 0;
  ku::reportErrno(env(), obj_, cls_, "open");
  EXPECT_EQ(fake_.value(obj_, "errno").i, 0);
  EXPECT_EQ(fake_.value(obj_, "strerror").s, "open");
  EXPECT_THAT(trace.lines(), ElementsAre("\tError: (errno=2) " + expected,
                                         "\tError: (errno=13) " + std::string(std::strerror(EACCES)),
                                         "\tError: (errno=0) open"));
}

}  // namespace
