// A movie file or an image sequence (printf pattern) read with FFmpeg's
// libraries: its pictures scaled to the composition size as the host's ARGB
// frames, its sound resampled to 48 kHz 16-bit stereo. A numbered sequence of
// PNG files that PngFrameReader reads is opened and read without them; they
// are loaded (host/media_library.h) only for what needs them.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/frame_source.h"
#include "host/numbered_name.h"

namespace lumavox_host {

class FfmpegInput;
class FfmpegPictures;

struct MediaInfo {
  int width = 0;
  int height = 0;
  int fps_num = 0, fps_den = 1;  // the picture's frame rate
  double seconds = 0;            // duration of the picture
  int64_t frames = 0;            // number of pictures
  bool has_sound = false;
  // Numbered image files: each picture is one frame at the composition's
  // rate, whatever rate the reader assumes for them.
  bool image_sequence = false;
};

class MediaInput : public FrameSource {
 public:
  // Opens and probes; throws std::runtime_error with a clear message when the
  // file cannot be read or holds no picture. The PNG files of a numbered
  // sequence that PngFrameReader reads are read with it, unless
  // `read_png_directly` is false.
  explicit MediaInput(const std::string& path, bool read_png_directly = true);
  ~MediaInput() override;
  MediaInput(const MediaInput&) = delete;
  MediaInput& operator=(const MediaInput&) = delete;

  const MediaInfo& info() const { return info_; }

  // The composition's frame rate, which decides which picture each frame
  // shows: a movie's, the latest one that starts by the middle of the frame;
  // an image sequence's, picture `index` for frame `index`.
  void SetCompositionRate(int fps_num, int fps_den);

  // A movie's frames are cheapest in increasing order; going back reopens
  // the file. The numbered files of a sequence are read one by one, in any
  // order and from several threads at once. Past the last picture the last
  // one is held.
  void RenderFrame(int64_t index, HostFrame& out) override;
  std::vector<int16_t> Sound(int64_t first, int count) override;
  bool FramesIndependent() const override { return first_file_ >= 0; }
  std::shared_ptr<void> TakeSpareBuffers() override;
  std::string Damage() const override;

 private:
  struct Readers;
  void RenderPicture(int64_t index, HostFrame& out);
  // Throws when the numbered files that `pattern` names (`numbers`, in
  // increasing order) start too late to be found.
  void RefuseLateStart(const NumberedPattern& pattern, const std::vector<int64_t>& numbers) const;
  // Throws when a numbered file is missing between the sequence's first and
  // a later one.
  void RefuseGap(const NumberedPattern& pattern, const std::vector<int64_t>& numbers) const;
  // FFmpeg's reader of single pictures, made on first need.
  FfmpegPictures& Pictures();
  std::string path_;
  bool read_png_directly_ = true;
  MediaInfo info_;
  // The number in the name of a sequence's first file; -1 when the pictures
  // are read through one demuxer in order.
  int64_t first_file_ = -1;
  // A sequence opened without FFmpeg: the pattern of its names.
  std::optional<NumberedPattern> pattern_;
  std::unique_ptr<Readers> readers_;
  // Any other input, opened with FFmpeg.
  std::unique_ptr<FfmpegInput> ffmpeg_;
  std::mutex pictures_mutex_;
  std::unique_ptr<FfmpegPictures> pictures_;
};

}  // namespace lumavox_host
