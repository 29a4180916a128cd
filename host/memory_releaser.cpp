#include "host/memory_releaser.h"

#include <system_error>
#include <utility>

namespace lumavox_host {

MemoryReleaser::~MemoryReleaser() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void MemoryReleaser::Release(std::shared_ptr<void> what) {
  if (!what) return;
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      lock.unlock();
      what.reset();  // no thread: released here, as without a releaser
      return;
    }
  }
  queue_.push_back(std::move(what));
  lock.unlock();
  changed_.notify_all();
}

void MemoryReleaser::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void MemoryReleaser::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping with nothing left
    std::vector<std::shared_ptr<void>> taken;
    taken.swap(queue_);
    busy_ = true;
    lock.unlock();
    taken.clear();
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace lumavox_host
