#include "host/thread_start.h"

#include <atomic>

namespace lumavox_host {

namespace {

// The starts left before the one that fails; -1: none fails.
std::atomic<int> g_starts_before_failure{-1};

}  // namespace

bool ThreadStartFailsForTest() {
  int left = g_starts_before_failure.load();
  while (left >= 0 && !g_starts_before_failure.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

void FailThreadStartAfter(int starts) { g_starts_before_failure = starts; }

}  // namespace lumavox_host
