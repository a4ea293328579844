#include "kivlock.h"

#include <windows.h>

namespace kiv::platform {

// A critical section: a waiter spins briefly, then sleeps on the section's
// event until the holder lets go.
struct Mutex::Impl {
  CRITICAL_SECTION section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }
Mutex::~Mutex() { DeleteCriticalSection(&impl_->section); }
void Mutex::lock() { EnterCriticalSection(&impl_->section); }
void Mutex::unlock() { LeaveCriticalSection(&impl_->section); }
bool Mutex::try_lock() { return TryEnterCriticalSection(&impl_->section) != 0; }
bool Mutex::lockWithin(int milliseconds) {
  // A critical section has no timed wait: try again each millisecond. Only
  // the last flush at exit waits this way.
  DWORD start = GetTickCount();
  for (;;) {
    if (try_lock()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(milliseconds)) return false;
    Sleep(1);
  }
}

}  // namespace kiv::platform
