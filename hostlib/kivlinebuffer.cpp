#include "kivlinebuffer.h"

#include "kivplatform.h"

#include <algorithm>
#include <cstring>

namespace kiv::utils {
namespace {
constexpr std::size_t kStep = 64 * 1024;  // the buffer grows by at most this much at a time
}

LineBuffer::Status LineBuffer::next(std::FILE* file, std::size_t maxChars, Record& record, bool& grown) {
  grown = false;
  for (;;) {
    std::size_t avail = end_ - pos_;
    const char* begin = data_.data() + pos_;
    std::size_t look = std::min(avail, maxChars);
    std::size_t consumed = 0;
    if (const void* lineEnd = look ? std::memchr(begin, '\n', look) : nullptr) {
      consumed = static_cast<std::size_t>(static_cast<const char*>(lineEnd) - begin) + 1;
    } else if (avail >= maxChars || (eof_ && avail > 0)) {
      consumed = look;
    } else if (eof_) {
      return Status::kEnd;
    }
    if (consumed > 0) {
      const void* nul = std::memchr(begin, '\0', consumed);
      takeRecord(consumed, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : consumed, record);
      return Status::kRecord;
    }
    // No whole record is buffered: move the rest to the front; when it
    // fills the buffer, grow it by one more step of the record (the 2 spare
    // characters are those of a C string buffer of maxChars characters);
    // read.
    if (pos_ > 0) {
      std::memmove(data_.data(), begin, avail);
      pos_ = 0;
      end_ = avail;
    }
    std::size_t need = avail + std::min(maxChars - avail, kStep) + 2;
    if (end_ == data_.size()) {
      std::size_t cap = maxChars > SIZE_MAX - 2 ? SIZE_MAX : maxChars + 2;
      data_.resize(std::max(need, std::min(data_.size() * 2, cap)));
      grown = true;
    }
    std::size_t want = data_.size() - end_;
    std::size_t got = platform::readUnlocked(data_.data() + end_, want, file);
    end_ += got;
    if (got < want) {
      if (platform::errorUnlocked(file)) return Status::kError;
      eof_ = true;
    }
  }
}

bool LineBuffer::takeKnown(std::size_t n, Record& record) {
  if (n == 0 || n > end_ - pos_) return false;
  takeRecord(n, n, record);
  return true;
}

void LineBuffer::takeRecord(std::size_t consumed, std::size_t length, Record& record) {
  record.data = data_.data() + pos_;
  record.consumed = consumed;
  record.length = length;
  record.offset = taken_;
  pos_ += consumed;
  taken_ += consumed;
}

std::size_t LineBuffer::take(char* out, std::size_t n) {
  n = std::min(n, end_ - pos_);
  if (n > 0) std::memcpy(out, data_.data() + pos_, n);
  pos_ += n;
  taken_ += n;
  return n;
}

void LineBuffer::release() {
  std::vector<char>().swap(data_);
  pos_ = end_ = 0;
}

}  // namespace kiv::utils
