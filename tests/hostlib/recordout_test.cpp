// A record writer's output on real files: blocks that fill exactly, records
// longer than a block, what the file holds after each flush, and a device
// that is full.
#include "kivrecordout.h"
#include "process.h"

#include <gtest/gtest.h>

#include <cerrno>
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
  static bool put(kp::RecordOutput& out, const std::string& record) {
    char* room = out.reserve(record.size());
    if (!room) return false;
    std::memcpy(room, record.data(), record.size());
    return out.commit(record.size());
  }
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
      ASSERT_TRUE(put(out, record));
      expected += record;
      EXPECT_LE(out.buffered(), 65536u) << "a full block is written out at once";
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
  EXPECT_EQ(puts, 65) << "the block of 66 records fills at the 66th";
  std::fclose(f);
}

}  // namespace
