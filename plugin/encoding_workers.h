// The plug-in's own encoding threads. Slots are handed over one at a time, in
// frame order; the first free thread encodes the oldest slot waiting, through
// thread_func with the slot's index, so that a slow frame holds only its own
// thread. The threads touch nothing of the host: the slots they encode are
// locked beforehand and stay locked until their result has been taken.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/aesdk/aeio_module.h"
#include "plugin/output_options.h"

class EncodingWorkers {
 public:
  EncodingWorkers() = default;
  ~EncodingWorkers() { Stop(); }
  EncodingWorkers(const EncodingWorkers&) = delete;
  EncodingWorkers& operator=(const EncodingWorkers&) = delete;

  // Starts `threads` threads (at least one) that run thread_func with
  // `record` as its refcon; the record must outlive Stop. When a thread
  // cannot be started, those started are ended and the exception goes on.
  void Start(int threads, OutputOptions* record);
  bool Running() const { return !threads_.empty(); }
  int ThreadCount() const { return static_cast<int>(threads_.size()); }

  // Queues slot `slot` for encoding.
  void Encode(uint32_t slot);
  // Whether the slot's encode has ended (its result is waiting).
  bool Ended(uint32_t slot);
  // Waits until the slot's encode has ended and takes its result (0 or the
  // thread_func error); the slot is idle again.
  A_Err Take(uint32_t slot);
  // Waits for every queued and running encode, then ends the threads.
  void Stop();

 private:
  enum class State { kIdle, kQueued, kEncoding, kEnded };
  void Work(int index, int count);

  OutputOptions* record_ = nullptr;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable ended_;
  std::deque<uint32_t> queue_;
  State state_[kMaxEncodingSlots] = {};
  A_Err result_[kMaxEncodingSlots] = {};
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
