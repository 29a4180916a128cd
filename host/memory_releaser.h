// Giving memory back on a thread of its own. Returning the hundreds of
// megabytes of a render's buffers to the system takes tens of milliseconds;
// handed to the releaser, that time overlaps the host's own work (the
// package's digests) instead of adding to it.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lumavox_host {

class MemoryReleaser {
 public:
  MemoryReleaser() = default;
  ~MemoryReleaser();  // waits until everything handed over is released
  MemoryReleaser(const MemoryReleaser&) = delete;
  MemoryReleaser& operator=(const MemoryReleaser&) = delete;

  // Drops `what` (the last reference to it) on the releaser's thread, or
  // here when no thread can be had.
  void Release(std::shared_ptr<void> what);

  // Waits until everything handed over so far is released.
  void Wait();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<void>> queue_;
  bool busy_ = false;  // the thread holds some of the queue
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace lumavox_host
