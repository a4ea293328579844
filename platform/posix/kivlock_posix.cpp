#include "kivlock.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <mutex>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kiv::platform {

// A pthread mutex (futex-based): a waiter sleeps in the kernel until the
// holder lets go.
struct Mutex::Impl {
  std::mutex mutex;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->mutex.lock(); }
void Mutex::unlock() { impl_->mutex.unlock(); }
bool Mutex::try_lock() { return impl_->mutex.try_lock(); }

// The stream lock's state word is its futex: sleepers wait on it while it
// says kWaitedFor, and the holder that lets go of such a lock wakes one.
StreamLock::StreamLock() = default;
StreamLock::~StreamLock() = default;

void StreamLock::lockContended(int seen) {
  // From here on the lock is marked waited for, whoever holds it: its
  // holder wakes a sleeper when it lets go, and the woken thread marks it so
  // again, since others may still sleep.
  if (seen != kWaitedFor) seen = state_.exchange(kWaitedFor, std::memory_order_acquire);
  while (seen != kFree) {
    sleepWhileWaitedFor(-1);
    seen = state_.exchange(kWaitedFor, std::memory_order_acquire);
  }
}

bool StreamLock::lockWithin(int milliseconds) {
  if (try_lock()) return true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (state_.exchange(kWaitedFor, std::memory_order_acquire) == kFree) return true;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !sleepWhileWaitedFor(static_cast<int>(left.count()))) {
      return state_.exchange(kWaitedFor, std::memory_order_acquire) == kFree;
    }
  }
}

bool StreamLock::sleepWhileWaitedFor(int milliseconds) {
  timespec limit{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  long rc = syscall(SYS_futex, reinterpret_cast<int*>(&state_), FUTEX_WAIT_PRIVATE, kWaitedFor,
                    milliseconds < 0 ? nullptr : &limit, nullptr, 0);
  return !(rc != 0 && errno == ETIMEDOUT);
}

void StreamLock::wakeOne() { syscall(SYS_futex, reinterpret_cast<int*>(&state_), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0); }

}  // namespace kiv::platform
