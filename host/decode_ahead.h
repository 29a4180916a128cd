// Reading ahead: a layer around a frame source that renders the frames a
// render will ask for next on threads of its own, into a bounded queue, so
// that the host's thread finds each frame ready when it hands it to the
// plug-in. The frames are exactly those the source itself would give.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/frame_source.h"

namespace lumavox_host {

class DecodeAhead : public FrameSource {
 public:
  // Frames [0, frames) are read ahead, at most `queued` of them waiting at a
  // time. A source whose frames are independent is read by `readers` threads,
  // any other by one thread in increasing order (by the threads the system
  // gives: with none, each frame is rendered when it is asked for). Sound is
  // not read ahead: it is asked of the source on the caller's thread.
  DecodeAhead(FrameSource& source, int64_t frames, int queued, int readers);
  ~DecodeAhead() override;
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Hands over frame `index` (its pixels are swapped into `out`); a frame
  // asked for out of order restarts the reading there. A failure of the
  // source is thrown here, for the frame that failed.
  void RenderFrame(int64_t index, HostFrame& out) override;
  std::vector<int16_t> Sound(int64_t first, int count) override { return source_.Sound(first, count); }
  bool FramesIndependent() const override { return source_.FramesIndependent(); }

  // Starts reading from frame `first` of the geometry of `frame` before it is
  // asked for, unless the reading runs already.
  void ReadFrom(int64_t first, const HostFrame& frame);

  // Ends the reading ahead (waits for the frames being read).
  void Stop();

 private:
  struct Done {
    HostFrame frame;
    std::exception_ptr error;
  };
  void Start(int64_t first, const HostFrame& geometry);
  void Read();

  FrameSource& source_;
  const int64_t frames_;
  const int queued_;
  const int readers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
  std::map<int64_t, Done> done_;
  std::vector<HostFrame> spare_;
  HostFrame geometry_;  // width, height, depth and row bytes of the frames (no pixels)
  int64_t next_claim_ = 0;
  int64_t next_take_ = -1;
  bool stop_ = false;
  bool failed_ = false;
};

}  // namespace lumavox_host
