// A movie file or an image sequence opened with FFmpeg's readers: its size,
// rate and length as they tell them, its pictures decoded in order and
// scaled, its sound resampled to 48 kHz 16-bit stereo.
#pragma once

#include <memory>
#include <string>

#include "host/ffmpeg/ffmpeg_decoder.h"
#include "host/media_library.h"

struct AVFormatContext;
struct AVStream;

namespace lumavox_host {

class MovieSound;

class FfmpegMediaInput : public FfmpegInput {
 public:
  // Opens and probes; throws std::runtime_error with a clear message when the
  // file cannot be read or holds no picture.
  FfmpegMediaInput(const std::string& path, PngHeaderReader png_header);
  ~FfmpegMediaInput() override;
  FfmpegMediaInput(const FfmpegMediaInput&) = delete;
  FfmpegMediaInput& operator=(const FfmpegMediaInput&) = delete;

  const MediaInfo& info() const override { return info_; }
  int64_t first_file() const override { return first_file_; }
  std::string PictureName(int64_t number) const override;
  void SetCompositionRate(int fps_num, int fps_den) override;
  // A movie's frames are cheapest in increasing order; going back reopens
  // the file. Past the last picture the last one is held; a frame within the
  // movie's length that its pictures do not reach (a file cut short) throws.
  void RenderFrame(int64_t index, HostFrame& out) override;
  std::vector<int16_t> Sound(int64_t first, int count) override;
  std::string Damage() const override;

 private:
  struct Video;
  bool OpenPngSequence(PngHeaderReader png_header);
  void TakeTiming(AVFormatContext* format, AVStream* stream);
  void MeasurePictures();
  std::string path_;
  MediaInfo info_;
  int64_t first_file_ = -1;
  // When the picture starts, in seconds on the file's clock: the sound is
  // placed against it.
  double picture_start_ = 0;
  // The quarter turns clockwise its pictures are shown with (0 to 3).
  int quarter_turns_ = 0;
  int comp_num_ = 24, comp_den_ = 1;
  std::unique_ptr<Video> video_;
  // By the picture decoders before video_'s.
  DamagedFrames pictures_left_out_, pictures_with_errors_;
  std::unique_ptr<MovieSound> sound_;
};

}  // namespace lumavox_host
