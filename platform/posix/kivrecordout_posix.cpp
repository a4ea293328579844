#include "kivrecordout.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kiv::platform {

RecordOutput::RecordOutput(std::FILE* file) : file_(file), buffer_(kRecordBlock) {
  // Blocks go to the descriptor; the stream itself holds nothing back.
  std::setvbuf(file, nullptr, _IONBF, 0);
}

std::size_t RecordOutput::writeOut(const char* data, std::size_t n,
                                   const std::chrono::steady_clock::time_point* deadline) {
  int fd = fileno(file_);
  if (deadline) {
    // A pipe that nobody reads must not hold the writer for good: the
    // descriptor stops blocking, and a full pipe is waited for until the
    // deadline (a regular file ignores the flag).
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && !(flags & O_NONBLOCK)) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  }
  std::size_t done = 0;
  while (done < n) {
    ssize_t put = ::write(fd, data + done, n - done);
    if (put >= 0) {
      done += static_cast<std::size_t>(put);
      continue;
    }
    if (errno == EINTR) continue;
    if (deadline && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
      pollfd waitFor{fd, POLLOUT, 0};
      if (left.count() > 0 && ::poll(&waitFor, 1, static_cast<int>(left.count())) > 0) continue;
      errno = EAGAIN;
    }
    break;
  }
  return done;
}

}  // namespace kiv::platform
