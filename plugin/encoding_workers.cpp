#include "plugin/encoding_workers.h"

#include "encoder/j2k/block_coding_helpers.h"
#include "plugin/frame_buffering.h"

void EncodingWorkers::Start(int threads, OutputOptions* record) {
  Stop();
  record_ = record;
  stopping_ = false;
  for (auto& state : state_) state = State::kIdle;
  const int count = threads < 1 ? 1 : threads;
  // Workers left without a frame help the others with their code-blocks.
  block_coding_set_threads(count);
  threads_.reserve(static_cast<size_t>(count));
  try {
    for (int t = 0; t < count; ++t) threads_.emplace_back([this, t, count] { Work(t, count); });
  } catch (...) {
    Stop();  // those that started end, and none is left joinable
    throw;
  }
}

void EncodingWorkers::Encode(uint32_t slot) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_[slot] = State::kQueued;
    result_[slot] = A_Err_NONE;
    queue_.push_back(slot);
  }
  queued_.notify_one();
}

bool EncodingWorkers::Ended(uint32_t slot) {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_[slot] == State::kEnded;
}

A_Err EncodingWorkers::Take(uint32_t slot) {
  std::unique_lock<std::mutex> lock(mutex_);
  ended_.wait(lock, [&] { return state_[slot] == State::kEnded || state_[slot] == State::kIdle; });
  state_[slot] = State::kIdle;
  return result_[slot];
}

void EncodingWorkers::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void EncodingWorkers::Work(int index, int count) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and nothing left to encode
    const uint32_t slot = queue_.front();
    queue_.pop_front();
    state_[slot] = State::kEncoding;
    lock.unlock();
    const A_Err err = thread_func(record_, index, static_cast<A_long>(slot), static_cast<A_long>(count));
    lock.lock();
    result_[slot] = err;
    state_[slot] = State::kEnded;
    ended_.notify_all();
  }
}
