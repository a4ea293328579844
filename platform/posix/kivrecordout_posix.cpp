#include "kivrecordout.h"

#include <cerrno>
#include <unistd.h>

namespace kiv::platform {

RecordOutput::RecordOutput(std::FILE* file) : file_(file), buffer_(kRecordBlock) {
  // Blocks go to the descriptor; the stream itself holds nothing back.
  std::setvbuf(file, nullptr, _IONBF, 0);
}

bool RecordOutput::writeOut(const char* data, std::size_t n) {
  int fd = fileno(file_);
  while (n > 0) {
    ssize_t put = ::write(fd, data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace kiv::platform
