#include "host/media_input.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "host/media_library.h"
#include "host/png_frame_reader.h"
#include "host/png_sequence.h"

namespace lumavox_host {

// The PNG readers free for the threads reading a sequence, one per thread at
// a time.
struct MediaInput::Readers {
  std::mutex mutex;
  std::vector<std::unique_ptr<PngFrameReader>> png;

  std::unique_ptr<PngFrameReader> Take() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!png.empty()) {
        std::unique_ptr<PngFrameReader> taken = std::move(png.back());
        png.pop_back();
        return taken;
      }
    }
    return std::make_unique<PngFrameReader>();
  }

  void Give(std::unique_ptr<PngFrameReader> given) {
    std::lock_guard<std::mutex> lock(mutex);
    png.push_back(std::move(given));
  }
};

MediaInput::MediaInput(const std::string& path, bool read_png_directly)
    : path_(path), read_png_directly_(read_png_directly) {
  if (read_png_directly_) {
    if (std::optional<PngSequence> sequence = FindPngSequence(path)) {
      info_ = sequence->info;
      first_file_ = sequence->first_file;
      pattern_ = sequence->pattern;
      readers_ = std::make_unique<Readers>();
      if (const std::optional<std::vector<int64_t>> numbers = NumberedFiles(*pattern_)) RefuseGap(*pattern_, *numbers);
      return;
    }
  }
  // The folder is listed once, for both checks.
  const std::optional<NumberedPattern> pattern = ParseNumberedPattern(path);
  const std::optional<std::vector<int64_t>> numbers = pattern ? NumberedFiles(*pattern) : std::nullopt;
  if (numbers) RefuseLateStart(*pattern, *numbers);
  ffmpeg_ = Media().Open(path, read_png_directly_ ? &ReadPngHeader : nullptr);
  info_ = ffmpeg_->info();
  first_file_ = ffmpeg_->first_file();
  if (first_file_ >= 0) readers_ = std::make_unique<Readers>();
  if (first_file_ >= 0 && numbers) RefuseGap(*pattern, *numbers);
}

// Past the numbers where the image file reader looks for a sequence's first
// file, it would say no file is there.
void MediaInput::RefuseLateStart(const NumberedPattern& pattern, const std::vector<int64_t>& numbers) const {
  if (numbers.empty() || numbers.front() < kFirstNumbers) return;
  throw std::runtime_error("input '" + path_ + "': its first numbered file is '" +
                           NumberedName(pattern, numbers.front()) +
                           "', but a sequence must start at a number from 0 to " + std::to_string(kFirstNumbers - 1));
}

// The files of a sequence are read from the first to the first missing one,
// a step over a gap at times: a file missing within, and those that follow
// a gap, would be found missing only mid-render, or left out unseen.
void MediaInput::RefuseGap(const NumberedPattern& pattern, const std::vector<int64_t>& numbers) const {
  int64_t missing = first_file_;  // the first number without its file
  auto at = std::lower_bound(numbers.begin(), numbers.end(), first_file_);
  for (; at != numbers.end() && *at == missing; ++at) ++missing;
  if (at == numbers.end()) return;
  const std::string name = "'" + NumberedName(pattern, missing) + "'";
  throw std::runtime_error(
      "input '" + path_ + "': its numbered files run from '" + NumberedName(pattern, first_file_) + "' to '" +
      NumberedName(pattern, numbers.back()) + "', but " +
      (*at > missing + 1 ? name + " to '" + NumberedName(pattern, *at - 1) + "' are" : name + " is") + " missing");
}

MediaInput::~MediaInput() = default;

void MediaInput::SetCompositionRate(int fps_num, int fps_den) {
  if (ffmpeg_) ffmpeg_->SetCompositionRate(fps_num, fps_den);
}

FfmpegPictures& MediaInput::Pictures() {
  std::lock_guard<std::mutex> lock(pictures_mutex_);
  if (!pictures_) pictures_ = Media().Pictures(path_);
  return *pictures_;
}

void MediaInput::RenderPicture(int64_t index, HostFrame& out) {
  const int64_t number = first_file_ + std::clamp<int64_t>(index, 0, info_.frames - 1);
  const std::string name = pattern_ ? NumberedName(*pattern_, number) : ffmpeg_->PictureName(number);
  if (read_png_directly_) {
    std::unique_ptr<PngFrameReader> png = readers_->Take();
    const bool read = png->Read(name, out);
    readers_->Give(std::move(png));
    if (read) return;
  }
  Pictures().Read(name, out);
}

std::shared_ptr<void> MediaInput::TakeSpareBuffers() {
  if (!readers_) return nullptr;
  struct Spare {
    std::vector<std::unique_ptr<PngFrameReader>> png;
    std::shared_ptr<void> scalers;
  };
  auto spare = std::make_shared<Spare>();
  {
    std::lock_guard<std::mutex> lock(readers_->mutex);
    spare->png.swap(readers_->png);
  }
  std::lock_guard<std::mutex> lock(pictures_mutex_);
  if (pictures_) spare->scalers = pictures_->TakeSpareBuffers();
  return spare;
}

void MediaInput::RenderFrame(int64_t index, HostFrame& out) {
  if (first_file_ >= 0) RenderPicture(index, out);
  else ffmpeg_->RenderFrame(index, out);
}

std::string MediaInput::Damage() const { return ffmpeg_ ? ffmpeg_->Damage() : std::string(); }

std::vector<int16_t> MediaInput::Sound(int64_t first, int count) {
  if (!ffmpeg_ || !info_.has_sound || count <= 0)
    return std::vector<int16_t>(static_cast<size_t>(std::max(0, count)) * 2, 0);
  return ffmpeg_->Sound(first, count);
}

}  // namespace lumavox_host
