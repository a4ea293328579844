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

}  // namespace kiv::platform
