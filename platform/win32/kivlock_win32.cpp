#include "kivlock.h"

#include <windows.h>

namespace kiv::platform {

struct Mutex::Impl {
  CRITICAL_SECTION section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }
Mutex::~Mutex() { DeleteCriticalSection(&impl_->section); }
void Mutex::lock() { EnterCriticalSection(&impl_->section); }
void Mutex::unlock() { LeaveCriticalSection(&impl_->section); }

void pauseWaiting(unsigned round) {
  if (round < 64) return;  // the holder is likely about to let go
  if (round < 128) {
    SwitchToThread();
    return;
  }
  Sleep(1);
}

void SpinMutex::lockContended() {
  for (unsigned round = 0;; ++round) {
    if (try_lock()) return;
    pauseWaiting(round);
  }
}

}  // namespace kiv::platform
