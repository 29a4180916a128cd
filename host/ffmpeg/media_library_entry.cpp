// The entry point of the media library: FFmpeg's readers behind the
// program's interface to them.
#include <memory>
#include <string>

#include "host/ffmpeg/ffmpeg_media_input.h"
#include "host/ffmpeg/ffmpeg_pictures.h"
#include "host/media_library.h"

namespace lumavox_host {

namespace {

class FfmpegLibrary : public MediaLibrary {
 public:
  std::unique_ptr<FfmpegInput> Open(const std::string& path, PngHeaderReader png_header) const override {
    return std::make_unique<FfmpegMediaInput>(path, png_header);
  }
  std::unique_ptr<FfmpegPictures> Pictures(const std::string& path) const override {
    return std::make_unique<FfmpegPictureFiles>(path);
  }
};

}  // namespace

}  // namespace lumavox_host

extern "C" __attribute__((visibility("default"))) const lumavox_host::MediaLibrary* LumavoxMediaLibrary() {
  static const lumavox_host::FfmpegLibrary library;
  return &library;
}
