#include "host/ffmpeg/ffmpeg_pictures.h"

#include <utility>

#include "host/ffmpeg/ffmpeg_decoder.h"
#include "host/ffmpeg/ffmpeg_scaler.h"

namespace lumavox_host {

FfmpegPictureFiles::FfmpegPictureFiles(std::string path) : path_(std::move(path)) {}

FfmpegPictureFiles::~FfmpegPictureFiles() = default;

void FfmpegPictureFiles::Read(const std::string& name, HostFrame& out) {
  PictureFile file;
  file.Read(name, av_find_input_format("image2"));
  std::unique_ptr<Scaler> scaler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!scalers_.empty()) {
      scaler = std::move(scalers_.back());
      scalers_.pop_back();
    }
  }
  if (!scaler) scaler = std::make_unique<Scaler>();
  ScaleToHost(*scaler, file.frame, out, 1, path_);
  std::lock_guard<std::mutex> lock(mutex_);
  scalers_.push_back(std::move(scaler));
}

std::shared_ptr<void> FfmpegPictureFiles::TakeSpareBuffers() {
  auto spare = std::make_shared<std::vector<std::unique_ptr<Scaler>>>();
  std::lock_guard<std::mutex> lock(mutex_);
  spare->swap(scalers_);
  return spare;
}

}  // namespace lumavox_host
