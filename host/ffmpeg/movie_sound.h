// A movie's sound as the host hands it on: 48 kHz 16-bit stereo. Each
// decoded sound frame is converted from its own layout, sample format and
// rate (they may change within a file), and goes where its time stamp puts
// it against the picture's start: silence fills a gap in the sound, and an
// overlap is cut from the frame that comes later.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "host/ffmpeg/ffmpeg_decoder.h"

struct SwrContext;

namespace lumavox_host {

class MovieSound {
 public:
  // The sound of `path` placed against a picture that starts at
  // `picture_start` seconds on the file's clock; the frames of `fps_num` /
  // `fps_den` per second name where it fails. Throws when it cannot be read.
  MovieSound(std::string path, double picture_start, int fps_num, int fps_den);
  ~MovieSound();
  MovieSound(const MovieSound&) = delete;
  MovieSound& operator=(const MovieSound&) = delete;

  void SetCompositionRate(int fps_num, int fps_den);
  // `count` sample frames from sample frame `first`, interleaved left and
  // right; silence where the file has no sound. Sound handed on is let go:
  // asking again for what lies before opens the file anew. Throws, naming
  // the file and the frame, when a read error cuts the sound short.
  std::vector<int16_t> Read(int64_t first, int count);
  // The sound frames that could not be decoded: silence took their place.
  DamagedFrames left_out() const;

 private:
  // Sample frames made from the sound, from sample frame `start`.
  struct Block {
    int64_t start = 0;
    std::vector<int16_t> samples;  // interleaved stereo
    int64_t End() const { return start + static_cast<int64_t>(samples.size() / 2); }
  };
  void Open();
  // Converts the decoded frame and places it.
  void Take(const AVFrame* frame);
  // Converts what the resampler still holds; with `input` null, all of it.
  void Convert(const AVFrame* input);
  // Keeps `count` sample frames made for sample frame `at`, but none before
  // what is kept already.
  void Keep(int64_t at, const int16_t* samples, int64_t count);

  std::string path_;
  double picture_start_ = 0;
  int fps_num_ = 24, fps_den_ = 1;
  std::unique_ptr<Decoder> decoder_;
  DamagedFrames left_out_;  // by the decoders before this one
  bool decoded_all_ = false;
  // The run of sound frames that follow each other in one format: the
  // resampler made for them, where the run starts and how much of it went
  // in and came out.
  SwrContext* resampler_ = nullptr;
  int in_rate_ = 0;
  int in_format_ = -1;
  AVChannelLayout in_layout_{};
  int64_t run_start_ = 0, run_in_ = 0, run_out_ = 0;
  // How far a sound frame may lie from where the run has come to (in sample
  // frames) and still carry on the run: its time stamps' precision.
  double tolerance_ = 1;
  // Where the header says the sound ends (a QuickTime file's), -1 when it
  // gives no length to go by.
  int64_t promised_end_ = -1;
  std::vector<int16_t> converted_;
  std::deque<Block> blocks_;
  int64_t kept_to_ = 0;    // where the sound kept ends
  int64_t let_go_to_ = 0;  // the sound before it was handed on and let go
};

}  // namespace lumavox_host
