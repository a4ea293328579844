// A mutual-exclusion lock for code that may run on several threads (the
// host-services library runs on whichever Java threads call it). The
// Windows toolchain's thread model has no std::mutex, so each platform
// provides its own: a futex-based pthread mutex on POSIX, a critical section
// on Windows. A thread that finds it taken sleeps until it is free.
// Meets Lockable: use it with std::lock_guard or std::unique_lock.
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
  bool try_lock();
  // Takes the lock if it becomes free within `milliseconds`; false when it
  // stayed taken that long (for work that must not wait for good, such as
  // the last flush at exit, when a holder may never let go).
  bool lockWithin(int milliseconds);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kiv::platform
