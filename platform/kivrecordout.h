// The output of a record writer: records are put into a buffer of the
// writer's own and reach the file a block at a time.
//   POSIX: blocks of up to kRecordBlock bytes, written with write(2); the C
//   library's stream is left unbuffered (only closing goes through it).
//   Windows: each record goes on into the C library's stream at once, whose
//   buffer of 64 KiB and text mode (LF to CR LF) stay in charge, and which
//   the C library flushes at exit (kRecordBlock is 0).
// A record is taken whole or not at all: the buffered bytes are written out
// before a record that does not fit, and a block that a record fills (or a
// record larger than a block) is written out with that record at once.
// Bytes that could not be written (an error, or a write the system took
// only in part) stay buffered and go first at the next flush, in order;
// while they are there, every reserve tries them again first and fails as
// long as they cannot be written. The record whose write met the error is
// taken back (unless the system took part of it: then its rest stays too).
// So no record that was taken is lost to an error that passes, and none is
// written twice.
// Not thread-safe: its owner serializes the calls.
#pragma once

#include "kivplatform_os.h"

#include <chrono>
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

  // Room for n (> 0) more bytes after what is buffered, writing the
  // buffered bytes out first when they leave no room or an earlier write
  // failed. Null, with errno set, when they could not be written (they stay
  // buffered; the record is not taken).
  char* reserve(std::size_t n) {
    if (!failed_ && used_ + n <= buffer_.size()) return buffer_.data() + used_;
    return reserveSlow(n);
  }
  // The first n bytes of the room reserved last are a record's. When they
  // fill a block (Windows: always), the block is written out: false, with
  // errno set, when that failed (see above).
  bool commit(std::size_t n) {
    used_ += n;
    return used_ < kRecordBlock || handOn(n);
  }
  // Takes n (> 0) bytes as one record: reserve, copy and commit in one. A
  // record of a block or more, with nothing buffered before it, goes to the
  // file straight from data (no copy); whatever of it the file did not
  // take is handled as commit says.
  bool put(const char* data, std::size_t n);
  // Writes out what is buffered. False, with errno set, when not all of it
  // could be written: the rest stays buffered for the next flush.
  bool flush() { return flushOut(nullptr); }
  // The same at exit: where the file would make the writer wait (a pipe or
  // FIFO that nobody reads), waits until `deadline` at the most.
  bool flushBefore(std::chrono::steady_clock::time_point deadline) { return flushOut(&deadline); }
  std::size_t buffered() const { return used_; }

 private:
  char* reserveSlow(std::size_t n);
  bool flushOut(const std::chrono::steady_clock::time_point* deadline);
  bool handOn(std::size_t n);
  // Drops the first n buffered bytes (they were written).
  void written(std::size_t n);
  // Writes the bytes to the file (platform): how many were written; fewer
  // than n with errno set on failure. With a deadline, a file that would
  // block is waited for until then at the most.
  std::size_t writeOut(const char* data, std::size_t n, const std::chrono::steady_clock::time_point* deadline);

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;  // the last write left bytes behind
};

}  // namespace kiv::platform
