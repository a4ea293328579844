#include "kivlock.h"

#include <mutex>

#include <sched.h>
#include <time.h>

namespace kiv::platform {

struct Mutex::Impl {
  std::mutex mutex;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->mutex.lock(); }
void Mutex::unlock() { impl_->mutex.unlock(); }

void pauseWaiting(unsigned round) {
  if (round < 64) return;  // the holder is likely about to let go
  if (round < 128) {
    sched_yield();
    return;
  }
  timespec step{0, 100000};  // 0.1 ms
  nanosleep(&step, nullptr);
}

void SpinMutex::lockContended() {
  for (unsigned round = 0;; ++round) {
    if (try_lock()) return;
    pauseWaiting(round);
  }
}

}  // namespace kiv::platform
