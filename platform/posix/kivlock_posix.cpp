#include "kivlock.h"

#include <chrono>
#include <mutex>

namespace kiv::platform {

// A pthread mutex (futex-based): a waiter sleeps in the kernel until the
// holder lets go.
struct Mutex::Impl {
  std::timed_mutex mutex;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->mutex.lock(); }
void Mutex::unlock() { impl_->mutex.unlock(); }
bool Mutex::try_lock() { return impl_->mutex.try_lock(); }
bool Mutex::lockWithin(int milliseconds) {
  return impl_->mutex.try_lock_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kiv::platform
