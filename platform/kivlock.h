// A mutual-exclusion lock for code that may run on several threads (the
// host-services library runs on whichever Java threads call it). The
// Windows toolchain's thread model has no std::mutex, so each platform
// provides its own. Meets BasicLockable: use it with std::lock_guard or
// std::unique_lock.
#pragma once

#include <atomic>
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

// A lock for data that one thread mostly uses alone and holds only for one
// call (a data-set stream, read record after record): taking it free costs
// one atomic exchange and giving it up one store, about half of what Mutex
// costs. A thread that finds it taken spins briefly, then yields its time
// slice, then sleeps in short steps (the holder may be waiting for a disk).
// Meets Lockable.
class SpinMutex {
 public:
  SpinMutex() = default;
  SpinMutex(const SpinMutex&) = delete;
  SpinMutex& operator=(const SpinMutex&) = delete;

  void lock() {
    if (!taken_.exchange(true, std::memory_order_acquire)) return;
    lockContended();
  }
  bool try_lock() { return !taken_.load(std::memory_order_relaxed) && !taken_.exchange(true, std::memory_order_acquire); }
  void unlock() { taken_.store(false, std::memory_order_release); }

 private:
  void lockContended();
  std::atomic<bool> taken_{false};
};

// Waiting in SpinMutex: round 0, 1, ... of a wait gives up the processor for
// a moment, longer as the rounds go on.
void pauseWaiting(unsigned round);

}  // namespace kiv::platform
