#include "launcher_fixture.h"

#include <cerrno>

using ::testing::ElementsAre;

namespace {

TEST(RuntimeClasses, AppendedPerLevel) {
  EXPECT_EQ(kiv::insertRuntimeClassesInClasspath("/jdk", std::string("a.jar:"), 13),
            "a.jar:/jdk/jre/lib/rt.jar:/jdk:/jdk:");
  EXPECT_EQ(kiv::insertRuntimeClassesInClasspath("/jdk", std::string("a.jar:"), 11), "a.jar:/jdk/lib/classes.zip:");
  EXPECT_EQ(kiv::insertRuntimeClassesInClasspath("/jdk", std::string("a.jar"), 11), "a.jar/jdk/lib/classes.zip:")
      << "no separator is inserted";
  EXPECT_EQ(kiv::insertRuntimeClassesInClasspath(nullptr, std::string("a.jar:"), 13), "a.jar:");
  EXPECT_EQ(kiv::insertRuntimeClassesInClasspath("/jdk", std::string("a.jar:"), 12), "a.jar:");
}

TEST(RuntimeClasses, PlatformTextTurnsWindowsSeparators) {
  EXPECT_EQ(kiv::platformText("\\jre\\bin\\classic;"), "/jre/bin/classic:");
}

TEST(RuntimeLibrary, BareNameFirstThenJavaHome) {
  using kiv::platform::LibrarySource;
  auto c13 = kiv::platform::runtimeLibraryCandidates(13, "/opt/jdk");
  ASSERT_GE(c13.size(), 2u);
  EXPECT_EQ(c13[0].file, "libjvm.so");
  EXPECT_EQ(c13[0].source, LibrarySource::systemSearch);
  EXPECT_EQ(c13[1].file, "/opt/jdk/lib/server/libjvm.so");
  EXPECT_EQ(c13[1].source, LibrarySource::javaHome);
  auto c11 = kiv::platform::runtimeLibraryCandidates(11, nullptr);
  ASSERT_EQ(c11.size(), 1u);
  EXPECT_EQ(c11[0].file, "libjavai.so");
}

TEST(RuntimeLibrary, FailedLoadReportsAnErrorNumber) {
  int err = 0;
  EXPECT_EQ(kiv::platform::loadLibrary("/nonexistent/libnothing.so", err), nullptr);
  EXPECT_EQ(err, ENOENT);
  EXPECT_EQ(kiv::platform::loadLibrary("/etc/passwd", err), nullptr);
  EXPECT_EQ(err, ENOEXEC) << "a file that is no library";
}

}  // namespace
