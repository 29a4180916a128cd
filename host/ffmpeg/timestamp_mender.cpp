#include "host/ffmpeg/timestamp_mender.h"

#include <cstdlib>

namespace lumavox_host {

namespace {

// A leap of more than this either way, or back by more than kStepBack, is
// the clock starting again rather than a gap in the file.
constexpr int64_t kLeap = 10 * AV_TIME_BASE;
constexpr int64_t kStepBack = AV_TIME_BASE / 10;
// Leaps of two streams this close are one leap of the file's clock.
constexpr int64_t kSameLeap = AV_TIME_BASE;

}  // namespace

void TimestampMender::Mend(const AVFormatContext* format, AVPacket* packet) {
  if (!(format->iformat->flags & AVFMT_TS_DISCONT)) return;
  const AVStream* stream = format->streams[packet->stream_index];
  const AVMediaType type = stream->codecpar->codec_type;
  if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
    return;
  if (streams_.size() <= static_cast<size_t>(packet->stream_index)) streams_.resize(packet->stream_index + 1);
  Stream& s = streams_[packet->stream_index];
  if (packet->dts != AV_NOPTS_VALUE) {
    const int64_t dts = av_rescale_q(packet->dts, stream->time_base, AV_TIME_BASE_Q);
    const int64_t leap = s.next == AV_NOPTS_VALUE ? 0 : dts + s.offset - s.next;
    if (leap < -kLeap || leap > kLeap || (s.last != AV_NOPTS_VALUE && dts + s.offset + kStepBack < s.last)) {
      const int64_t wanted = s.offset - leap;
      s.offset = leapt_ && latest_ != s.offset && std::llabs(latest_ - wanted) < kSameLeap ? latest_ : wanted;
      leapt_ = true;
      latest_ = s.offset;
    }
    s.last = dts + s.offset;
    s.next = s.last + (packet->duration > 0 ? av_rescale_q(packet->duration, stream->time_base, AV_TIME_BASE_Q) : 0);
  }
  const int64_t ticks = av_rescale_q(s.offset, AV_TIME_BASE_Q, stream->time_base);
  if (packet->dts != AV_NOPTS_VALUE) packet->dts += ticks;
  if (packet->pts != AV_NOPTS_VALUE) packet->pts += ticks;
}

}  // namespace lumavox_host
