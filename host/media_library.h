// The readers of the media input that use FFmpeg's libraries: movies, their
// sound, and the pictures of a sequence that PngFrameReader does not read.
// They live in a shared library of their own beside the program, loaded the
// first time an input needs them, so that a render that needs none of them
// never loads FFmpeg.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_frame.h"
#include "host/media_input.h"
#include "host/png_frame_reader.h"

namespace lumavox_host {

// A file opened with FFmpeg's readers.
class FfmpegInput {
 public:
  virtual ~FfmpegInput() = default;
  virtual const MediaInfo& info() const = 0;
  // The number in the name of a sequence's first file; -1 when the pictures
  // are read through one demuxer in order (RenderFrame).
  virtual int64_t first_file() const = 0;
  // The name of the sequence's file `number`.
  virtual std::string PictureName(int64_t number) const = 0;
  // As MediaInput's.
  virtual void SetCompositionRate(int fps_num, int fps_den) = 0;
  virtual void RenderFrame(int64_t index, HostFrame& out) = 0;
  virtual std::vector<int16_t> Sound(int64_t first, int count) = 0;
  // As FrameSource's.
  virtual std::string Damage() const { return {}; }
};

// Reads single picture files, scaled to the frame, several at once from
// different threads.
class FfmpegPictures {
 public:
  virtual ~FfmpegPictures() = default;
  virtual void Read(const std::string& name, HostFrame& out) = 0;
  // The scalers kept from one picture to the next, handed over.
  virtual std::shared_ptr<void> TakeSpareBuffers() = 0;
};

using PngHeaderReader = std::optional<PngHeader> (*)(const std::string& path);

class MediaLibrary {
 public:
  // Opens and probes `path`; throws std::runtime_error saying why it cannot
  // be read. A numbered sequence of PNG files whose first file `png_header`
  // (when given) reads takes that file's size without a picture decoded.
  virtual std::unique_ptr<FfmpegInput> Open(const std::string& path, PngHeaderReader png_header) const = 0;
  // A reader for the pictures of the sequence `path` (named in messages).
  virtual std::unique_ptr<FfmpegPictures> Pictures(const std::string& path) const = 0;

 protected:
  ~MediaLibrary() = default;
};

// The name of the library's entry point, by which the program finds it:
// extern "C" const MediaLibrary* LumavoxMediaLibrary().
constexpr char kMediaLibraryEntry[] = "LumavoxMediaLibrary";

// The library beside the program, loaded on the first call (or the one the
// program is linked with); throws std::runtime_error naming the file and
// why it cannot be loaded.
const MediaLibrary& Media();

// Loads the library from `path`; throws as Media() does. It stays loaded.
const MediaLibrary& LoadMediaLibrary(const std::string& path);

}  // namespace lumavox_host
