// The two ways of taking a record's text out of a String, in a real VM made
// in this process (the JDK of KIV_TEST_JDK, else the build's): the check
// that decides whether the String's own fields may be used refuses fields
// that are not there and encoders that do not give GetStringUTFChars' bytes;
// both ways give exactly those bytes for Strings of every kind.
#include "kivplatform.h"
#include "kivstringtext.h"
#include "kivtext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace ku = kiv::utils;

namespace {

JNIEnv* vmEnv = nullptr;

class VmEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* home = std::getenv("KIV_TEST_JDK");
    std::string lib = std::string(home && *home ? home : JDK_HOME) + "/lib/server/libjvm.so";
    if (!std::filesystem::exists(lib)) return;
    int err = 0;
    kiv::platform::LibraryHandle h = kiv::platform::loadLibrary(lib.c_str(), err);
    auto create = reinterpret_cast<jint(JNICALL*)(JavaVM**, void**, void*)>(
        kiv::platform::findSymbol(h, "JNI_CreateJavaVM"));
    if (!create) return;
    JavaVMOption options[] = {{const_cast<char*>("-Xcheck:jni"), nullptr}, {const_cast<char*>("-Xint"), nullptr}};
    JavaVMInitArgs args{JNI_VERSION_1_8, 2, options, JNI_FALSE};
    JavaVM* vm = nullptr;
    if (create(&vm, reinterpret_cast<void**>(&vmEnv), &args) != JNI_OK) vmEnv = nullptr;
  }
};
const auto* const kVm = ::testing::AddGlobalTestEnvironment(new VmEnvironment);  // gtest owns it

class StringTextVm : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!vmEnv) GTEST_SKIP() << "no JDK here";
  }
  jstring make(const std::u16string& units) {
    return vmEnv->NewString(reinterpret_cast<const jchar*>(units.data()), static_cast<jsize>(units.size()));
  }
  std::string utfChars(jstring s) {
    const char* p = vmEnv->GetStringUTFChars(s, nullptr);
    std::string out(p);
    vmEnv->ReleaseStringUTFChars(s, p);
    return out;
  }
  std::string text(const ku::StringText& way, jstring s) {
    std::vector<char> out;
    std::vector<jchar> scratch;
    vmEnv->PushLocalFrame(4);  // the fields way leaves its array to the caller's frame
    long n = way.text(vmEnv, s, out, scratch);
    vmEnv->PopLocalFrame(nullptr);
    return n < 0 ? "<failed>" : std::string(out.data(), static_cast<std::size_t>(n));
  }
};

// Latin-1 0xFF encoded as if it were 0x7F: wrong for one character only.
std::size_t brokenLatin1(const unsigned char* chars, std::size_t n, char* out) {
  std::size_t k = ku::encodeLatin1(chars, n, out);
  for (std::size_t i = 0; i + 1 < k; ++i)
    if (static_cast<unsigned char>(out[i]) == 0xC3 && static_cast<unsigned char>(out[i + 1]) == 0xBF) out[i + 1] = '\x80';
  return k;
}
// Each surrogate pair encoded as standard UTF-8 (four bytes), not as two.
std::size_t standardUtf8(const jchar* units, std::size_t n, char* out) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      unsigned cp = 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00u);
      out[k++] = static_cast<char>(0xF0 | (cp >> 18));
      out[k++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out[k++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[k++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      k += ku::encodeUtf16(units + i, 1, out + k);
    }
  }
  return k;
}

TEST_F(StringTextVm, CheckTakesTheFieldsOfThisRuntime) {
  // Today's runtimes keep a String in `value` (byte[]) with its `coder`.
  EXPECT_TRUE(ku::StringText::check(vmEnv, "value", "coder", ku::StringText::libraryEncoders()).usesFields());
}

TEST_F(StringTextVm, CheckRefusesFieldsThatDoNotBehave) {
  auto enc = ku::StringText::libraryEncoders();
  EXPECT_FALSE(ku::StringText::check(vmEnv, "valu", "coder", enc).usesFields()) << "no such field";
  EXPECT_FALSE(ku::StringText::check(vmEnv, "value", "hash", enc).usesFields()) << "a field of another type";
  EXPECT_FALSE(ku::StringText::check(vmEnv, "value", "hashIsZero", enc).usesFields()) << "a boolean, not the coder";
  EXPECT_FALSE(ku::StringText::check(vmEnv, "value", "coder", {brokenLatin1, enc.utf16}).usesFields());
  EXPECT_FALSE(ku::StringText::check(vmEnv, "value", "coder", {enc.latin1, standardUtf8}).usesFields());
  EXPECT_FALSE(vmEnv->ExceptionCheck());
}

TEST_F(StringTextVm, BothWaysGiveWhatGetStringUTFCharsGives) {
  auto fields = ku::StringText::check(vmEnv, "value", "coder", ku::StringText::libraryEncoders());
  ASSERT_TRUE(fields.usesFields());
  auto standard = ku::StringText::standard();
  std::vector<std::u16string> texts = {
      u"", u"x", u"plain\n", std::u16string(u"\0", 1), std::u16string(u"a\0b\0", 4), u"\u00e9\u00ff\u0080\u007f",
      u"\u0100\u07ff\u0800\u20ac\uffff", u"\U0001F600\U0010FFFF", u"\xd800", u"\xdbff\xdbff", u"\xdc00x\xd800",
      std::u16string(200000, u'z'), std::u16string(100001, u'\u00e9'), std::u16string(70000, u'\u20ac'),
  };
  // Plain runs of every length around the encoder's blocks, then one other character.
  for (std::size_t n = 0; n < 40; ++n) {
    texts.push_back(std::u16string(n, u'a') + u"\u00e9" + std::u16string(n % 9, u'b'));
    texts.push_back(std::u16string(n, u'a') + u"\u20ac" + std::u16string(n % 7, u'c'));
    texts.push_back(std::u16string(n, u'a') + std::u16string(1, u'\0') + u"d");
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    jstring s = make(texts[i]);
    ASSERT_NE(s, nullptr);
    std::string expected = utfChars(s);
    EXPECT_EQ(text(fields, s), expected) << "fields, text " << i;
    EXPECT_EQ(text(standard, s), expected) << "standard, text " << i;
    vmEnv->DeleteLocalRef(s);
  }
}

TEST_F(StringTextVm, ExpectedBytesWrittenOut) {
  // The bytes themselves, not only agreement with the VM.
  auto fields = ku::StringText::check(vmEnv, "value", "coder", ku::StringText::libraryEncoders());
  for (const ku::StringText& way : {fields, ku::StringText::standard()}) {
    jstring s = make(std::u16string(u"a\0\u00e9\u20ac\U0001F600", 6));
    EXPECT_EQ(text(way, s), "a\xC0\x80\xC3\xA9\xE2\x82\xAC\xED\xA0\xBD\xED\xB8\x80");
    vmEnv->DeleteLocalRef(s);
  }
}

}  // namespace
