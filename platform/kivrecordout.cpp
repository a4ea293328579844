#include "kivrecordout.h"

#include <algorithm>

namespace kiv::platform {

char* RecordOutput::reserveSlow(std::size_t n) {
  if (used_ > 0 && !flush()) return nullptr;
  if (n > buffer_.size()) buffer_.resize(std::max(n, kRecordBlock));
  return buffer_.data();
}

bool RecordOutput::flush() {
  if (used_ == 0) return true;
  bool ok = writeOut(buffer_.data(), used_);
  used_ = 0;
  // A very long record or block of bytes made the buffer grow; beyond 1 MiB
  // it goes back to a block.
  if (buffer_.size() > 16 * std::max<std::size_t>(kRecordBlock, 64 * 1024)) {
    std::vector<char>(kRecordBlock).swap(buffer_);
  }
  return ok;
}

}  // namespace kiv::platform
