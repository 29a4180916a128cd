// FFmpeg's demuxers and decoders opened on a file: a stream decoded frame by
// frame, or a single picture file decoded whole.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace lumavox_host {

// FFmpeg's text for error `code`.
std::string AvError(int code);

// One opened stream of one kind: its own demuxer and decoder, so that pictures
// and sound can be read at their own pace.
struct Decoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  bool input_done = false;   // no more packets
  bool output_done = false;  // decoder drained

  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder();

  // Opens `path` and its best stream of `type`; returns false when there is no
  // such stream; throws on unreadable files.
  bool Open(const std::string& path, AVMediaType type, int threads = 0);
  // Decodes the next frame into `frame`; false at the end.
  bool Next();
  double StartSeconds() const;
};

// A single picture file, read with a demuxer and a decoder of its own.
struct PictureFile {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;

  PictureFile() = default;
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;
  ~PictureFile();

  // Decodes the file `name` with `reader` (the sequence's own file reader)
  // into `frame`; throws saying why it cannot.
  void Read(const std::string& name, const AVInputFormat* reader);
};

}  // namespace lumavox_host
