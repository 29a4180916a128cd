// "AEGP Iterate Suite" 1: the host's worker threads. AEGP_IterateGeneric runs
// the function once per iteration (once per worker thread for the count -1)
// on real threads, as many at a time as the host has workers, and returns
// when every call has ended.
#include <atomic>
#include <thread>
#include <vector>

#include "host/host_state.h"
#include "host/thread_start.h"

namespace lumavox_host {

namespace {

A_Err GetNumThreads(A_long* num_threadsPL) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_GetNumThreads");
  if (!num_threadsPL) return A_Err_PARAMETER;
  *num_threadsPL = h.threads;
  return A_Err_NONE;
}

A_Err IterateGeneric(A_long iterationsL, void* refconPV, AEGP_IterateFunc fn_func) {
  HostState& h = HostState::Current();
  h.CheckHostThread("AEGP_IterateGeneric");
  if (!fn_func) return A_Err_PARAMETER;
  if (iterationsL < AEGP_Iterate_ONCE_PER_THREAD) {
    h.Problem("AEGP_IterateGeneric with the iteration count " + std::to_string(iterationsL));
    return A_Err_PARAMETER;
  }
  const A_long iterations = iterationsL == AEGP_Iterate_ONCE_PER_THREAD ? h.threads : iterationsL;
  ++h.iterate_calls;
  const int workers = std::max(1, std::min<int>(h.threads, std::max<A_long>(1, iterations)));
  std::atomic<A_long> next{0};
  std::atomic<A_Err> first_error{A_Err_NONE};
  auto work = [&](int w) {
    {
      std::lock_guard<std::mutex> lock(h.mutex);
      h.worker_ids.insert(std::this_thread::get_id());
    }
    for (A_long i = next++; i < iterations; i = next++) {
      A_Err err = fn_func(refconPV, w, i, iterations);
      A_Err none = A_Err_NONE;
      if (err != A_Err_NONE) first_error.compare_exchange_strong(none, err);
    }
  };
  // The workers that start share the iterations; with none to be had, they
  // run on the calling thread.
  std::vector<std::thread> pool;
  for (int w = 0; w < workers; ++w)
    if (!StartThread(pool, work, w)) break;
  if (pool.empty()) work(0);
  for (auto& t : pool) t.join();
  return first_error.load();
}

AEGP_IterateSuite1 MakeSuite() {
  AEGP_IterateSuite1 s;
  FillWithTraps(&s, sizeof s, kAEGPIterateSuite, 1);
  s.AEGP_GetNumThreads = GetNumThreads;
  s.AEGP_IterateGeneric = IterateGeneric;
  return s;
}

}  // namespace

const AEGP_IterateSuite1* HostIterateSuite() {
  static const AEGP_IterateSuite1 suite = MakeSuite();
  return &suite;
}

}  // namespace lumavox_host
