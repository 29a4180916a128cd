#include "host/memory_releaser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "host/host_state.h"

using lumavox_host::HostState;
using lumavox_host::MemoryReleaser;

namespace {

std::shared_ptr<void> Counted(std::atomic<int>& released, std::thread::id* on = nullptr) {
  return std::shared_ptr<int>(new int(0), [&released, on](int* p) {
    if (on) *on = std::this_thread::get_id();
    delete p;
    ++released;
  });
}

}  // namespace

// Whatever is handed over is released, off the caller's thread, by the time
// the releaser is waited for or goes; what another owner still holds stays.
TEST(MemoryReleaser, ReleasesEverythingHandedOverOffTheCallersThread) {
  std::atomic<int> released{0};
  std::thread::id where;
  std::shared_ptr<void> kept = Counted(released);
  {
    MemoryReleaser releaser;
    releaser.Release(Counted(released, &where));
    releaser.Release(kept);
    releaser.Release(nullptr);
    releaser.Wait();
    EXPECT_EQ(released.load(), 1);
    EXPECT_NE(where, std::this_thread::get_id());
    for (int i = 0; i < 100; ++i) releaser.Release(Counted(released));
  }
  EXPECT_EQ(released.load(), 101);  // the releaser's end waits for the rest
  kept.reset();
  EXPECT_EQ(released.load(), 102);
}

// A large block the plug-in frees is gone from the handles at once; its
// memory goes back through the releaser.
TEST(MemoryReleaser, TakesTheLargeBlocksThePlugInFrees) {
  HostState host;
  host.echo = false;
  AEGP_MemHandle small = host.NewHandle("small", 0, 100, false);
  AEGP_MemHandle large = host.NewHandle("large", 0, size_t{8} << 20, false);
  EXPECT_EQ(host.FreeHandle(large), A_Err_NONE);
  EXPECT_EQ(host.FreeHandle(small), A_Err_NONE);
  EXPECT_TRUE(host.handles.empty());
  host.releaser.Wait();
  EXPECT_NE(host.FreeHandle(large), A_Err_NONE);  // freed once only
  EXPECT_EQ(host.problems.size(), 1u);
}
