#include "host/decode_ahead.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "host/thread_start.h"

namespace lumavox_host {

DecodeAhead::DecodeAhead(FrameSource& source, int64_t frames, int queued, int readers)
    : source_(source), frames_(frames), queued_(std::max(1, queued)), readers_(std::max(1, readers)) {}

DecodeAhead::~DecodeAhead() { Stop(); }

void DecodeAhead::Start(int64_t first, const HostFrame& geometry) {
  Stop();
  geometry_.width = geometry.width;
  geometry_.height = geometry.height;
  geometry_.depth = geometry.depth;
  geometry_.row_bytes = geometry.row_bytes;
  spare_.clear();
  done_.clear();
  next_claim_ = first;
  next_take_ = first;
  stop_ = false;
  failed_ = false;
  const int readers = source_.FramesIndependent() ? readers_ : 1;
  // The readers that start read all; with none, frames are rendered as asked.
  for (int r = 0; r < readers; ++r)
    if (!StartThread(threads_, [this] { Read(); })) break;
}

void DecodeAhead::ReadFrom(int64_t first, const HostFrame& frame) {
  if (threads_.empty() && first < frames_) Start(first, frame);
}

void DecodeAhead::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void DecodeAhead::Read() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock,
                  [this] { return stop_ || failed_ || next_claim_ >= frames_ || next_claim_ < next_take_ + queued_; });
    if (stop_ || failed_ || next_claim_ >= frames_) return;
    const int64_t index = next_claim_++;
    Done done;
    if (!spare_.empty()) {
      done.frame = std::move(spare_.back());
      spare_.pop_back();
    }
    lock.unlock();
    // A frame that cannot be had fails where the render asks for it.
    try {
      if (done.frame.pixels.size() != static_cast<size_t>(geometry_.row_bytes) * geometry_.height) {
        done.frame.AllocateToFill(geometry_.width, geometry_.height, geometry_.depth,
                                  geometry_.row_bytes - geometry_.width * geometry_.PixelBytes());
      }
      source_.RenderFrame(index, done.frame);
    } catch (const std::bad_alloc&) {
      done.error = std::make_exception_ptr(
          std::runtime_error("reading frame " + std::to_string(index) + ": out of memory"));
    } catch (...) {
      done.error = std::current_exception();
    }
    lock.lock();
    if (done.error) failed_ = true;
    done_.emplace(index, std::move(done));
    changed_.notify_all();
  }
}

void DecodeAhead::RenderFrame(int64_t index, HostFrame& out) {
  if (threads_.empty() || index != next_take_ || out.width != geometry_.width || out.height != geometry_.height ||
      out.depth != geometry_.depth || out.row_bytes != geometry_.row_bytes) {
    if (index >= frames_) {  // nothing to read ahead
      Stop();
      source_.RenderFrame(index, out);
      return;
    }
    Start(index, out);
    if (threads_.empty()) {  // no thread to read ahead on
      source_.RenderFrame(index, out);
      return;
    }
  }
  Done done;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_.count(index) != 0; });
    auto it = done_.find(index);
    done = std::move(it->second);
    done_.erase(it);
    ++next_take_;
  }
  changed_.notify_all();
  if (done.error) {
    Stop();
    std::rethrow_exception(done.error);
  }
  std::swap(out.pixels, done.frame.pixels);
  std::lock_guard<std::mutex> lock(mutex_);
  spare_.push_back(std::move(done.frame));
}

}  // namespace lumavox_host
