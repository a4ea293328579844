#include "kivrecordout.h"

#include <algorithm>
#include <cstring>

namespace kiv::platform {

namespace {
// A very long record or block of bytes makes the buffer grow; once written
// out, a buffer beyond this goes back to a block.
constexpr std::size_t kLargestKeptBuffer = 16 * std::max<std::size_t>(kRecordBlock, 64 * 1024);
}  // namespace

char* RecordOutput::reserveSlow(std::size_t n) {
  if (used_ > 0 && !flush()) return nullptr;
  if (n > buffer_.size()) buffer_.resize(std::max(n, kRecordBlock));
  return buffer_.data();
}

void RecordOutput::written(std::size_t n) {
  std::memmove(buffer_.data(), buffer_.data() + n, used_ - n);
  used_ -= n;
  failed_ = used_ > 0;
  if (used_ == 0 && buffer_.size() > kLargestKeptBuffer) std::vector<char>(kRecordBlock).swap(buffer_);
}

bool RecordOutput::flushOut(const std::chrono::steady_clock::time_point* deadline) {
  if (used_ == 0) return true;
  written(writeOut(buffer_.data(), used_, deadline));
  return !failed_;
}

bool RecordOutput::put(const char* data, std::size_t n) {
  if (kRecordBlock > 0 && n >= kRecordBlock && used_ == 0 && !failed_) {
    std::size_t took = writeOut(data, n, nullptr);
    if (took == n) return true;
    if (took > 0) {
      // Part of the record reached the file: the rest stays buffered and
      // goes first at the next flush.
      if (buffer_.size() < n - took) buffer_.resize(n - took);
      std::memcpy(buffer_.data(), data + took, n - took);
      used_ = n - took;
      failed_ = true;
    }
    return false;
  }
  char* room = reserve(n);
  if (!room) return false;
  std::memcpy(room, data, n);
  return commit(n);
}

bool RecordOutput::handOn(std::size_t n) {
  std::size_t before = used_ - n;  // the bytes of earlier records
  std::size_t took = writeOut(buffer_.data(), used_, nullptr);
  if (took < used_ && took <= before) used_ -= n;  // nothing of the record was written: it is not taken
  written(took);
  return !failed_ && took >= before + n;
}

}  // namespace kiv::platform
