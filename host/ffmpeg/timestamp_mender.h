// Time stamps that start again or leap within a file whose format allows it
// (transport or program streams joined end to end, a recording whose clock
// was reset): the packets of a stream after the leap are moved so that the
// stream carries on from where it was, as FFmpeg's own tools read it. The
// streams leap one after the other (a packet of one may come after the
// other's leap); a stream whose leap is about the one a stream took before
// it is moved by just as much, so that the part after the leap keeps its
// own sound against its own picture. Every reader of the file that mends
// its packets alike sees the same times.
#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace lumavox_host {

class TimestampMender {
 public:
  // Mends `packet`, the next one read from `format`; every packet read must
  // pass through here, whatever its stream. Files of other formats keep
  // their time stamps.
  void Mend(const AVFormatContext* format, AVPacket* packet);

 private:
  struct Stream {
    int64_t offset = 0;             // microseconds added to its packets
    int64_t last = AV_NOPTS_VALUE;  // the last decoding time, moved
    int64_t next = AV_NOPTS_VALUE;  // where the next packet is due
  };
  std::vector<Stream> streams_;
  bool leapt_ = false;
  int64_t latest_ = 0;  // the offset the last leap gave
};

}  // namespace lumavox_host
