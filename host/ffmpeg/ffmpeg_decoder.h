// FFmpeg's demuxers and decoders opened on a file: a stream decoded frame by
// frame, or a single picture file decoded whole.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "host/ffmpeg/decoder_error_log.h"
#include "host/ffmpeg/timestamp_mender.h"

namespace lumavox_host {

// FFmpeg's text for error `code`.
std::string AvError(int code);

// Damaged frames of a stream: how many, and a time that says where the
// first lay (NaN when none is known).
struct DamagedFrames {
  int64_t count = 0;
  double first = NAN;  // in seconds on the file's clock

  void Note(double seconds) {
    if (count++ == 0) first = seconds;
  }
  // With what a decoder that read the file again found: each frame once.
  void Merge(const DamagedFrames& other) {
    count = std::max(count, other.count);
    first = std::fmin(first, other.first);
  }
};

// One opened stream of one kind: its own demuxer and decoder, so that pictures
// and sound can be read at their own pace. A movie's picture stream is never
// an attached picture (a sound file's cover art). The pictures of picture
// files (a single one, or a sequence read through one demuxer) are refused
// when damaged; a movie's damaged frames are left out or decoded with errors,
// as players do, and counted.
struct Decoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  bool described_by_header = false;  // the header told all of the streams: they were not probed
  bool input_done = false;           // no more packets
  bool output_done = false;          // decoder drained
  // What ended the reading before the end of the file (an FFmpeg error
  // code), 0 when it ended there.
  int read_error = 0;
  bool picture_files = false;  // the stream is one of picture files
  // The frames the decoder refused and that were left out; `first` is when
  // the frame decoded before the first starts.
  DamagedFrames left_out;
  // The frames the decoder gave out as decoded with errors (damage it
  // concealed); `first` is when the first starts.
  DamagedFrames with_errors;
  TimestampMender mender;

  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder();

  // Opens `path` and its best stream of `type`, with its decoder unless
  // `decode` is false; returns false when there is no such stream; throws on
  // unreadable files.
  bool Open(const std::string& path, AVMediaType type, int threads = 0, bool decode = true);
  // Reads the next packet of any stream into `packet`, its time stamps
  // mended; false at the end of the file or at a read error (`read_error`).
  bool Read();
  // Decodes the next frame into `frame`; false at the end. A damaged picture
  // of picture files throws, naming the file and what is wrong, and so does
  // a decoder out of memory, for any input.
  bool Next();
  double StartSeconds() const;
  // The seconds of `timestamp` in the stream's time base; NaN for none.
  double Seconds(int64_t timestamp) const;

 private:
  // Throws when `rc` says the decoder ran out of memory.
  void FailOutOfMemory(int rc) const;

  double decoded_ = NAN;  // when the frame decoded last starts
  DecoderErrorLog errors_;
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
  // into `frame`; throws saying why it cannot, or that the picture is damaged
  // when its decoder reports errors.
  void Read(const std::string& name, const AVInputFormat* reader);

 private:
  DecoderErrorLog errors_;
};

}  // namespace lumavox_host
