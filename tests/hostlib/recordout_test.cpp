// A record writer's output on real files: blocks that fill exactly, records
// longer than a block, what the file holds after each flush, and a device
// that is full.
#include "kivrecordout.h"
#include "process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace kp = kiv::platform;

namespace {

class RecordOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = kivtest::makeTempDir("recordout") + "/out"; }
  void TearDown() override { std::filesystem::remove_all(std::filesystem::path(path_).parent_path()); }
  static bool put(kp::RecordOutput& out, const std::string& record) { return out.put(record.data(), record.size()); }
  std::string path_;
};

TEST_F(RecordOutputTest, BlocksReachTheFileWhole) {
  std::FILE* f = std::fopen(path_.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::string expected;
  {
    kp::RecordOutput out(f);
    // Records that fill a block exactly, straddle its end, and dwarf it.
    for (const std::size_t n : {std::size_t{65536}, std::size_t{1}, std::size_t{65535}, std::size_t{70000},
                                std::size_t{3}, std::size_t{200000}, std::size_t{80}}) {
      std::string record(n, static_cast<char>('a' + expected.size() % 26));
      std::size_t before = out.buffered();
      ASSERT_TRUE(put(out, record));
      expected += record;
      // What no longer fits goes out first, the record whole after it; a
      // block it fills goes out with it.
      std::size_t expect = before + n <= 65536 ? before + n : n;
      EXPECT_EQ(out.buffered(), expect < 65536 ? expect : 0);
    }
    for (int i = 0; i < 5000; ++i) {
      std::string record = "line " + std::to_string(i) + "\n";
      ASSERT_TRUE(put(out, record));
      expected += record;
    }
    // Only what was flushed is in the file so far; all of it after a flush.
    EXPECT_EQ(std::filesystem::file_size(path_) + out.buffered(), expected.size());
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(out.buffered(), 0u);
  }
  std::fclose(f);
  EXPECT_TRUE(kivtest::readFile(path_) == expected);
}

TEST_F(RecordOutputTest, AFullDeviceSaysSo) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  std::FILE* f = std::fopen("/dev/full", "w");
  ASSERT_NE(f, nullptr);
  kp::RecordOutput out(f);
  std::string record(1000, 'x');
  int puts = 0;
  errno = 0;
  while (puts < 1000 && put(out, record)) ++puts;
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(puts, 65) << "65 records fill the block; the 66th finds no room";
  EXPECT_EQ(out.buffered(), 65000u) << "what could not be written stays";
  EXPECT_FALSE(put(out, "x")) << "and every later record fails while the error lasts";
  std::fclose(f);
}

// A pipe that takes nothing for a while (a transient error, EAGAIN): the
// record that meets it fails and is not taken; nothing taken before it is
// lost, and once the pipe takes bytes again every record taken is there,
// in order, once. A write the system takes in part keeps the rest.
TEST_F(RecordOutputTest, WhatCouldNotBeWrittenIsWrittenLater) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
  std::FILE* f = fdopen(fds[1], "w");
  ASSERT_NE(f, nullptr);
  std::string taken;
  std::string read;
  auto drain = [&] {
    char chunk[65536];
    ASSERT_EQ(fcntl(fds[0], F_SETFL, O_NONBLOCK), 0);
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;) read.append(chunk, static_cast<std::size_t>(n));
  };
  {
    kp::RecordOutput out(f);
    int failures = 0;
    for (int i = 0; i < 20000 && failures < 3; ++i) {
      std::string record = "record " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 90), '.') + "\n";
      if (put(out, record)) {
        taken += record;
      } else {
        EXPECT_EQ(errno, EAGAIN);
        ++failures;
      }
    }
    ASSERT_EQ(failures, 3) << "the pipe filled";
    EXPECT_GT(out.buffered(), 0u);
    drain();
    for (int i = 0; i < 3; ++i) {
      std::string record = "after " + std::to_string(i) + "\n";
      ASSERT_TRUE(put(out, record));
      taken += record;
    }
    ASSERT_TRUE(out.flush());
    drain();
    // A record larger than the pipe, with nothing buffered, goes straight
    // to it: the part the pipe took stays taken, the rest follows it.
    std::string large(100000, 'L');
    errno = 0;
    EXPECT_FALSE(put(out, large));
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_EQ(out.buffered(), 100000u - 65536u);
    taken += large;
    drain();
    ASSERT_TRUE(out.flush());
    drain();
  }
  std::fclose(f);
  ::close(fds[0]);
  EXPECT_TRUE(read == taken) << read.size() << " bytes read, " << taken.size() << " taken";
}

}  // namespace
