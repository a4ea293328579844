#include "kivlock.h"

#include <cerrno>
#include <ctime>

#include <pthread.h>

namespace kiv::platform {

// A pthread mutex (futex-based): a waiter sleeps in the kernel until the
// holder lets go.
struct Mutex::Impl {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() { pthread_mutex_destroy(&impl_->mutex); }
void Mutex::lock() { pthread_mutex_lock(&impl_->mutex); }
void Mutex::unlock() { pthread_mutex_unlock(&impl_->mutex); }
bool Mutex::try_lock() { return pthread_mutex_trylock(&impl_->mutex) == 0; }
bool Mutex::lockWithin(int milliseconds) {
  // pthread_mutex_timedlock measures against the wall clock.
  timespec until{};
  clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += milliseconds / 1000;
  until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  int rc;
  do rc = pthread_mutex_timedlock(&impl_->mutex, &until);
  while (rc == EINTR);
  return rc == 0;
}

}  // namespace kiv::platform
