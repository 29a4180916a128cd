// The reading-ahead layer: the frames it hands over are those the source
// gives for the same index, in any order they are asked for; the source's
// failure surfaces at the frame that failed; a sequential source is read one
// frame at a time in increasing order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/decode_ahead.h"
#include "host/test_pattern.h"

using namespace lumavox_host;

namespace {

// Fills every channel of a frame with its index; fails at `fail_at`; notes
// the order and overlap of the reads.
class CountingSource : public FrameSource {
 public:
  explicit CountingSource(bool independent, int64_t fail_at = -1) : independent_(independent), fail_at_(fail_at) {}

  void RenderFrame(int64_t index, HostFrame& out) override {
    const int now = ++busy_;
    if (now > most_busy_) most_busy_ = now;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      order_.push_back(index);
    }
    if (index == fail_at_) {
      --busy_;
      throw std::runtime_error("picture " + std::to_string(index) + " is damaged");
    }
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) out.SetPixel(x, y, 1, static_cast<int>(index), 2, 3);
    --busy_;
  }
  std::vector<int16_t> Sound(int64_t, int count) override { return std::vector<int16_t>(count * 2, 7); }
  bool FramesIndependent() const override { return independent_; }

  std::vector<int64_t> Order() {
    std::lock_guard<std::mutex> lock(mutex_);
    return order_;
  }
  int MostBusy() const { return most_busy_; }

 private:
  const bool independent_;
  const int64_t fail_at_;
  std::mutex mutex_;
  std::vector<int64_t> order_;
  std::atomic<int> busy_{0};
  std::atomic<int> most_busy_{0};
};

HostFrame Frame(int depth = 16) {
  HostFrame f;
  f.Allocate(16, 4, depth, 8);
  return f;
}

}  // namespace

TEST(DecodeAhead, HandsOverEachFrameTheSourceGivesInOrderAndOutOfIt) {
  CountingSource source(false);
  DecodeAhead ahead(source, 20, 3, 4);
  HostFrame frame = Frame();
  for (int64_t i : {0, 1, 2, 3, 9, 10, 4, 5, 19}) {
    ahead.RenderFrame(i, frame);
    EXPECT_EQ(frame.Channel(5, 2, 1), i) << "frame " << i;
    EXPECT_EQ(frame.Channel(15, 3, 0), 1);
    EXPECT_EQ(frame.row_bytes, 16 * 8 + 8);
  }
  ahead.Stop();
  // A source that must be read in order is read in increasing runs, one frame at a time.
  const std::vector<int64_t> order = source.Order();
  EXPECT_EQ(source.MostBusy(), 1);
  ASSERT_GE(order.size(), 9u);
  EXPECT_EQ(order[0], 0);
  EXPECT_EQ(ahead.Sound(0, 3), std::vector<int16_t>(6, 7));
}

TEST(DecodeAhead, ReadsIndependentFramesOnSeveralThreadsAndNeverPastTheEnd) {
  CountingSource source(true);
  DecodeAhead ahead(source, 12, 6, 3);
  HostFrame frame = Frame(8);
  for (int64_t i = 0; i < 12; ++i) {
    ahead.RenderFrame(i, frame);
    ASSERT_EQ(frame.Channel(0, 0, 1), i);
  }
  ahead.Stop();
  std::vector<int64_t> order = source.Order();
  EXPECT_EQ(order.size(), 12u);  // each frame once, none beyond the last
  for (int64_t i : order) EXPECT_LT(i, 12);
}

TEST(DecodeAhead, ReadsFromAFrameBeforeItIsAskedForAndReadsItOnce) {
  CountingSource source(false);
  DecodeAhead ahead(source, 6, 2, 1);
  HostFrame frame = Frame();
  ahead.ReadFrom(2, frame);
  ahead.ReadFrom(0, frame);  // the reading runs already: no restart
  // Nothing has been asked for yet, and the source is read (waiting at most ten seconds for its thread).
  for (int k = 0; k < 1000 && source.Order().empty(); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_FALSE(source.Order().empty());
  EXPECT_EQ(source.Order().front(), 2);
  for (int64_t i = 2; i < 6; ++i) {
    ahead.RenderFrame(i, frame);
    EXPECT_EQ(frame.Channel(5, 2, 1), i);
  }
  ahead.Stop();
  const std::vector<int64_t> order = source.Order();
  EXPECT_EQ(order, (std::vector<int64_t>{2, 3, 4, 5}));
}

TEST(DecodeAhead, TheSourcesFailureSurfacesAtTheFrameThatFailed) {
  CountingSource source(false, 5);
  DecodeAhead ahead(source, 10, 4, 1);
  HostFrame frame = Frame();
  for (int64_t i = 0; i < 5; ++i) {
    ahead.RenderFrame(i, frame);
    EXPECT_EQ(frame.Channel(0, 0, 1), i);
  }
  EXPECT_THROW(
      {
        try {
          ahead.RenderFrame(5, frame);
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "picture 5 is damaged");
          throw;
        }
      },
      std::runtime_error);
  // Nothing past the failure was read.
  for (int64_t i : source.Order()) EXPECT_LE(i, 5);
}

TEST(DecodeAhead, GivesThePatternByteForByte) {
  auto pattern = MakePatternSource();
  DecodeAhead ahead(*pattern, 3, 2, 2);
  HostFrame ours;
  ours.Allocate(320, 180, 16, 24);
  HostFrame direct = ours;
  for (int64_t i = 0; i < 3; ++i) {
    ahead.RenderFrame(i, ours);
    pattern->RenderFrame(i, direct);
    EXPECT_TRUE(ours.pixels == direct.pixels) << "frame " << i;
  }
}
