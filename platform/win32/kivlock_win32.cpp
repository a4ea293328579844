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

// The stream lock's sleepers wait on an auto-reset event of the lock's own:
// a wake that comes before its sleeper waits stays in the event. (Windows
// before 8 has no wait on an address.)
StreamLock::StreamLock() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
StreamLock::~StreamLock() {
  if (event_) CloseHandle(static_cast<HANDLE>(event_));
}

void StreamLock::lockContended(int seen) {
  if (seen != kWaitedFor) seen = state_.exchange(kWaitedFor, std::memory_order_acquire);
  while (seen != kFree) {
    sleepWhileWaitedFor(-1);
    seen = state_.exchange(kWaitedFor, std::memory_order_acquire);
  }
}

bool StreamLock::lockWithin(int milliseconds) {
  if (try_lock()) return true;
  DWORD start = GetTickCount();
  for (;;) {
    if (state_.exchange(kWaitedFor, std::memory_order_acquire) == kFree) return true;
    DWORD spent = GetTickCount() - start;
    if (spent >= static_cast<DWORD>(milliseconds) || !sleepWhileWaitedFor(static_cast<int>(milliseconds - spent)))
      return state_.exchange(kWaitedFor, std::memory_order_acquire) == kFree;
  }
}

bool StreamLock::sleepWhileWaitedFor(int milliseconds) {
  if (!event_) {
    Sleep(1);  // no event could be made: wait a moment and look again
    return true;
  }
  return WaitForSingleObject(static_cast<HANDLE>(event_), milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds)) ==
         WAIT_OBJECT_0;
}

void StreamLock::wakeOne() {
  if (event_) SetEvent(static_cast<HANDLE>(event_));
}

}  // namespace kiv::platform
