// The output of a record writer: records are put into a buffer of the
// writer's own and reach the file a block at a time.
//   POSIX: blocks of kRecordBlock bytes, written with write(2); the C
//   library's stream is left unbuffered (only closing goes through it).
//   Windows: each record goes on into the C library's stream at once, whose
//   buffer of 64 KiB and text mode (LF to CR LF) stay in charge, and which
//   the C library flushes at exit (kRecordBlock is 0).
// Not thread-safe: its owner serializes the calls.
#pragma once

#include "kivplatform_os.h"

#include <cstddef>
#include <cstdio>
#include <vector>

namespace kiv::platform {

class RecordOutput {
 public:
  // Takes file over for writing (its buffering is set here).
  explicit RecordOutput(std::FILE* file);
  RecordOutput(const RecordOutput&) = delete;
  RecordOutput& operator=(const RecordOutput&) = delete;

  // Room for n more bytes after what is buffered, writing the buffered
  // bytes out first when they leave no room. Null, with errno set, when
  // they could not be written (they are dropped).
  char* reserve(std::size_t n) {
    if (used_ + n <= buffer_.size()) return buffer_.data() + used_;
    return reserveSlow(n);
  }
  // The first n bytes of the room reserved last are a record's. False, with
  // errno set, when a block that became full could not be written.
  bool commit(std::size_t n) {
    used_ += n;
    return used_ < kRecordBlock || flush();
  }
  // Writes out what is buffered. False, with errno set, on failure (the
  // bytes are dropped).
  bool flush();
  std::size_t buffered() const { return used_; }

 private:
  char* reserveSlow(std::size_t n);
  // Writes the bytes to the file (platform).
  bool writeOut(const char* data, std::size_t n);

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace kiv::platform
