// The errors a decoder reports on FFmpeg's log. Some decoders say there
// alone that a picture is damaged and give it out as whole: FFmpeg's PNG
// decoder for image data that ends before its last row, its JPEG decoder
// for a file cut short.
#pragma once

#include <cstdarg>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace lumavox_host {

class DecoderErrorLog {
 public:
  DecoderErrorLog() = default;
  ~DecoderErrorLog();
  DecoderErrorLog(const DecoderErrorLog&) = delete;
  DecoderErrorLog& operator=(const DecoderErrorLog&) = delete;

  // Keeps the errors `codec` reports from now on, and those of the copies
  // its threads decode with (it takes the codec's `opaque`). The log's
  // messages still reach FFmpeg's own output.
  void Listen(AVCodecContext* codec);
  // The first error reported, without its line's end; empty when none was.
  std::string First() const;

 private:
  // FFmpeg's log callback: keeps the first error of a codec that a log
  // listens to, and hands every message on to FFmpeg's own output.
  static void Take(void* object, int level, const char* format, va_list args);
  std::string first_;
};

}  // namespace lumavox_host
