// Single picture files of a sequence read with FFmpeg's file reader and
// decoder and scaled to the frame: any kind FFmpeg reads, of any size.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/media_library.h"

namespace lumavox_host {

struct Scaler;

class FfmpegPictureFiles : public FfmpegPictures {
 public:
  explicit FfmpegPictureFiles(std::string path);
  ~FfmpegPictureFiles() override;
  FfmpegPictureFiles(const FfmpegPictureFiles&) = delete;
  FfmpegPictureFiles& operator=(const FfmpegPictureFiles&) = delete;

  void Read(const std::string& name, HostFrame& out) override;
  std::shared_ptr<void> TakeSpareBuffers() override;

 private:
  std::string path_;
  // The scalers free for the threads reading pictures, one per thread at a time.
  std::mutex mutex_;
  std::vector<std::unique_ptr<Scaler>> scalers_;
};

}  // namespace lumavox_host
