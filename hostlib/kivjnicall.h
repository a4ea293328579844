// The wrapper around the body of every native method: nothing thrown in the
// library reaches the VM. A failure is traced and the method returns its
// failure value.
#pragma once

#include "kivtrace.h"
#include "kivutilsmsg.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace kiv::utils {

namespace detail {
inline void traceInternalError(const char* method, const char* what) noexcept {
  try {
    kiv::traceLineL(0, umsg::kInternalError, method, what);
  } catch (...) {
  }
}
}  // namespace detail

// Runs body() and returns its result, or failure when it throws.
template <class R, class F>
R guarded(const char* method, R failure, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (const std::exception& e) {
    detail::traceInternalError(method, e.what());
  } catch (...) {
    detail::traceInternalError(method, umsg::kUnknownError);
  }
  return failure;
}

// The same for a method without a result.
template <class F>
void guardedVoid(const char* method, F&& body) noexcept {
  try {
    std::forward<F>(body)();
  } catch (const std::exception& e) {
    detail::traceInternalError(method, e.what());
  } catch (...) {
    detail::traceInternalError(method, umsg::kUnknownError);
  }
}

}  // namespace kiv::utils
