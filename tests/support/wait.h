// Bounded waits for tests: a wait that runs out fails the test with a
// message instead of hanging the run.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace kivtest {

// Yields until done() holds, at most `seconds`; false (and a failure that
// names `what`) when the time runs out.
template <class F>
bool waitFor(F&& done, const char* what, int seconds = 60) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "waited " << seconds << " s in vain for " << what;
      return false;
    }
    std::this_thread::yield();
  }
  return true;
}

}  // namespace kivtest
