#include "kivappend.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kiv::platform {

int appendToFile(const char* path, std::string_view text) {
  int fd;
  do fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  int err = 0;
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t put = ::write(fd, data, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (put == 0) {  // nothing taken and no error: give up rather than spin
      err = EIO;
      break;
    }
    data += put;
    left -= static_cast<std::size_t>(put);
  }
  ::close(fd);
  return err;
}

}  // namespace kiv::platform
