// A mutual-exclusion lock for code that may run on several threads (the
// host-services library runs on whichever Java threads call it). The
// Windows toolchain's thread model has no std::mutex, so each platform
// provides its own. Meets BasicLockable: use it with std::lock_guard or
// std::unique_lock.
#pragma once

#include <memory>

namespace kiv::platform {

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock();
  void unlock();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kiv::platform
