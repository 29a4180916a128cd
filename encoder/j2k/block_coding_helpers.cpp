#include "encoder/j2k/block_coding_helpers.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_threads{1};
std::atomic<int> g_frames{0};   // frames being encoded
std::atomic<int> g_helpers{0};  // helper threads coding blocks

// Takes a thread for a helper when the frames and helpers leave one.
bool reserve_helper() {
  int helpers = g_helpers.load();
  for (;;) {
    if (g_frames.load() + helpers >= g_threads.load()) return false;
    if (g_helpers.compare_exchange_weak(helpers, helpers + 1)) return true;
  }
}

// Tasks worth a thread of their own: fewer are left to the threads at work.
constexpr int kTasksPerHelper = 16;

}  // namespace

void block_coding_set_threads(int threads) { g_threads.store(threads < 1 ? 1 : threads); }

int block_coding_max_participants() { return g_threads.load(); }

block_coding_frame::block_coding_frame() { g_frames.fetch_add(1); }
block_coding_frame::~block_coding_frame() { g_frames.fetch_sub(1); }

void block_coding_run(int n, int participants, const std::function<void(int participant, int i)>& task) {
  std::atomic<int> next{0};
  auto work = [&](int participant) {
    for (int i = next.fetch_add(1); i < n; i = next.fetch_add(1)) task(participant, i);
  };
  std::vector<std::thread> helpers;
  // Room for every helper beforehand: a thread made is never lost to a
  // failed allocation.
  helpers.reserve(static_cast<size_t>(participants > 1 ? participants - 1 : 0));
  int i = next.fetch_add(1);
  for (; i < n; i = next.fetch_add(1)) {
    task(0, i);
    // A core freed by a frame that ended joins while enough is left.
    const int joined = static_cast<int>(helpers.size()) + 1;
    if (joined < participants && n - next.load() >= kTasksPerHelper && reserve_helper()) {
      try {
        helpers.emplace_back([&work, joined] {
          work(joined);
          g_helpers.fetch_sub(1);
        });
      } catch (const std::system_error&) {
        g_helpers.fetch_sub(1);  // no thread to be had: the others go on
      }
    }
  }
  for (std::thread& t : helpers) t.join();
}
