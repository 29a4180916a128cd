#include "host/media_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "host/test_pattern.h"

namespace lumavox_host {

namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

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

  ~Decoder() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  // Opens `path` and its best stream of `type`; returns false when there is no
  // such stream; throws on unreadable files.
  bool Open(const std::string& path, AVMediaType type) {
    int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (rc < 0) throw std::runtime_error("cannot open input '" + path + "': " + AvError(rc));
    rc = avformat_find_stream_info(format, nullptr);
    if (rc < 0) throw std::runtime_error("cannot read input '" + path + "': " + AvError(rc));
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(format, type, -1, -1, &decoder, 0);
    if (stream < 0) return false;
    if (!decoder) throw std::runtime_error("input '" + path + "': no decoder for its " +
                                           av_get_media_type_string(type) + " stream");
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!codec || !packet || !frame) throw std::runtime_error("out of memory opening '" + path + "'");
    avcodec_parameters_to_context(codec, format->streams[stream]->codecpar);
    codec->pkt_timebase = format->streams[stream]->time_base;
    codec->thread_count = 0;  // the decoder's own threads, as many as there are cores
    rc = avcodec_open2(codec, decoder, nullptr);
    if (rc < 0) throw std::runtime_error("input '" + path + "': cannot open decoder: " + AvError(rc));
    return true;
  }

  // Decodes the next frame into `frame`; false at the end.
  bool Next() {
    while (!output_done) {
      int rc = avcodec_receive_frame(codec, frame);
      if (rc == 0) return true;
      if (rc == AVERROR_EOF) {
        output_done = true;
        break;
      }
      if (rc != AVERROR(EAGAIN)) throw std::runtime_error("decoding failed: " + AvError(rc));
      if (input_done) {
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      rc = av_read_frame(format, packet);
      if (rc < 0) {
        input_done = true;
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (packet->stream_index == stream) {
        rc = avcodec_send_packet(codec, packet);
        // A damaged packet is skipped, as players do.
        (void)rc;
      }
      av_packet_unref(packet);
    }
    return false;
  }

  double StartSeconds() const {
    const AVStream* s = format->streams[stream];
    return s->start_time == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(s->start_time) * av_q2d(s->time_base);
  }
};

}  // namespace

struct MediaInput::Video {
  Decoder decoder;
  AVFrame* current = nullptr;   // the picture last chosen
  bool pending = false;         // decoder.frame holds a picture not yet chosen
  double pending_time = 0;
  int64_t decoded = 0;          // pictures decoded so far
  int64_t last_index = -1;      // composition frame last rendered
  SwsContext* scaler = nullptr;
  std::vector<uint8_t> wide;    // 16-bit scaling result (RGBA64)

  ~Video() {
    sws_freeContext(scaler);
    av_frame_free(&current);
  }

  double FrameTime(const AVFrame* f, double fallback) const {
    int64_t ts = f->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return fallback;
    const AVStream* s = decoder.format->streams[decoder.stream];
    return static_cast<double>(ts) * av_q2d(s->time_base) - decoder.StartSeconds();
  }
};

struct MediaInput::Audio {
  Decoder decoder;
  SwrContext* resampler = nullptr;
  std::deque<int16_t> samples;  // interleaved stereo, from sample frame `base`
  int64_t base = 0;
  bool flushed = false;

  ~Audio() { swr_free(&resampler); }
};

MediaInput::MediaInput(const std::string& path) : path_(path) {
  video_ = std::make_unique<Video>();
  if (!video_->decoder.Open(path, AVMEDIA_TYPE_VIDEO))
    throw std::runtime_error("input '" + path + "' holds no picture");
  AVFormatContext* fmt = video_->decoder.format;
  AVStream* st = fmt->streams[video_->decoder.stream];
  info_.width = st->codecpar->width;
  info_.height = st->codecpar->height;
  if (info_.width <= 0 || info_.height <= 0) throw std::runtime_error("input '" + path + "': picture size unknown");
  AVRational rate = av_guess_frame_rate(fmt, st, nullptr);
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  info_.fps_num = rate.num;
  info_.fps_den = rate.den;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    info_.seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
  else if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
    info_.seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  info_.frames = st->nb_frames > 0 ? st->nb_frames
                                   : static_cast<int64_t>(std::llround(info_.seconds * av_q2d(rate)));
  if (info_.frames <= 0) {
    // Nothing says how long it is: count the pictures on a second opening.
    Decoder counter;
    counter.Open(path, AVMEDIA_TYPE_VIDEO);
    while (av_read_frame(counter.format, counter.packet) >= 0) {
      if (counter.packet->stream_index == counter.stream) ++info_.frames;
      av_packet_unref(counter.packet);
    }
  }
  if (info_.seconds <= 0) info_.seconds = static_cast<double>(info_.frames) / av_q2d(rate);
  info_.has_sound = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  // The image file reader numbers the pictures at a rate of its own choosing.
  info_.image_sequence = std::strcmp(fmt->iformat->name, "image2") == 0;
  comp_num_ = info_.fps_num;
  comp_den_ = info_.fps_den;
}

MediaInput::~MediaInput() = default;

void MediaInput::SetCompositionRate(int fps_num, int fps_den) {
  comp_num_ = fps_num;
  comp_den_ = fps_den;
}

void MediaInput::RenderFrame(int64_t index, HostFrame& out) {
  if (index <= video_->last_index) {
    video_ = std::make_unique<Video>();
    video_->decoder.Open(path_, AVMEDIA_TYPE_VIDEO);
  }
  Video& v = *video_;
  v.last_index = index;
  const double input_period = static_cast<double>(info_.fps_den) / info_.fps_num;
  const double comp_period = static_cast<double>(comp_den_) / comp_num_;
  // The picture shown is the latest that starts by the middle of this frame.
  const double limit = (static_cast<double>(index) + 0.5) * comp_period;
  for (;;) {
    if (!v.pending) {
      if (!v.decoder.Next()) break;
      v.pending = true;
      // The pictures of a sequence follow each other at the composition's rate.
      v.pending_time = info_.image_sequence
                           ? static_cast<double>(v.decoded) * comp_period
                           : v.FrameTime(v.decoder.frame, static_cast<double>(v.decoded) * input_period);
      ++v.decoded;
    }
    if (v.current && v.pending_time > limit) break;
    if (!v.current) v.current = av_frame_alloc();
    av_frame_unref(v.current);
    av_frame_move_ref(v.current, v.decoder.frame);
    v.pending = false;
  }
  if (!v.current) throw std::runtime_error("input '" + path_ + "': no picture could be decoded");

  const AVFrame* src = v.current;
  const bool wide = out.depth != 8;
  const AVPixelFormat target = wide ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_ARGB;
  v.scaler = sws_getCachedContext(v.scaler, src->width, src->height, static_cast<AVPixelFormat>(src->format),
                                  out.width, out.height, target, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!v.scaler) throw std::runtime_error("input '" + path_ + "': cannot convert its pictures");
  if (!wide) {
    uint8_t* planes[4] = {out.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {out.row_bytes, 0, 0, 0};
    sws_scale(v.scaler, src->data, src->linesize, 0, src->height, planes, strides);
    return;
  }
  const int wide_stride = out.width * 8;
  v.wide.resize(static_cast<size_t>(wide_stride) * out.height);
  uint8_t* planes[4] = {v.wide.data(), nullptr, nullptr, nullptr};
  int strides[4] = {wide_stride, 0, 0, 0};
  sws_scale(v.scaler, src->data, src->linesize, 0, src->height, planes, strides);
  // RGBA 0..65535 to the host's ARGB 0..32768; a picture without alpha is opaque.
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(src->format));
  const bool has_alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
  static const std::vector<uint16_t> to_host_scale = [] {
    std::vector<uint16_t> table(65536);
    for (uint32_t value = 0; value < 65536; ++value)
      table[value] = static_cast<uint16_t>((value * static_cast<uint32_t>(kFullScale16) + 32767) / 65535);
    return table;
  }();
  const uint16_t* scale = to_host_scale.data();
  for (int y = 0; y < out.height; ++y) {
    const uint16_t* in = reinterpret_cast<const uint16_t*>(v.wide.data() + static_cast<size_t>(y) * wide_stride);
    uint8_t* row = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      const uint16_t* p = in + x * 4;
      // A, R, G, B from R, G, B, A (little-endian on both sides)
      const uint16_t argb[4] = {has_alpha ? scale[p[3]] : static_cast<uint16_t>(kFullScale16), scale[p[0]],
                                scale[p[1]], scale[p[2]]};
      std::memcpy(row + x * 8, argb, 8);
    }
  }
}

std::vector<int16_t> MediaInput::Sound(int64_t first, int count) {
  std::vector<int16_t> result(static_cast<size_t>(std::max(0, count)) * 2, 0);
  if (!info_.has_sound || count <= 0) return result;
  if (!audio_ || first < audio_->base) {
    audio_ = std::make_unique<Audio>();
    if (!audio_->decoder.Open(path_, AVMEDIA_TYPE_AUDIO)) return result;
    AVCodecContext* c = audio_->decoder.codec;
    AVChannelLayout in_layout;
    if (c->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || c->ch_layout.nb_channels <= 0)
      av_channel_layout_default(&in_layout, std::max(1, c->ch_layout.nb_channels));
    else
      av_channel_layout_copy(&in_layout, &c->ch_layout);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int rc = swr_alloc_set_opts2(&audio_->resampler, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &in_layout,
                                 c->sample_fmt, c->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    if (rc < 0 || swr_init(audio_->resampler) < 0)
      throw std::runtime_error("input '" + path_ + "': cannot resample its sound");
  }
  Audio& a = *audio_;
  // Drop what lies before the request.
  int64_t drop = std::min<int64_t>(first - a.base, static_cast<int64_t>(a.samples.size() / 2));
  a.samples.erase(a.samples.begin(), a.samples.begin() + drop * 2);
  a.base += drop;
  const int64_t want_end = first + count;
  std::vector<int16_t> converted;
  while (a.base + static_cast<int64_t>(a.samples.size() / 2) < want_end && !a.flushed) {
    const bool got = a.decoder.Next();
    const AVFrame* f = a.decoder.frame;
    int in_count = got ? f->nb_samples : 0;
    int room = swr_get_out_samples(a.resampler, in_count);
    if (room < 0) break;
    converted.resize(static_cast<size_t>(room) * 2 + 2);
    uint8_t* outs[1] = {reinterpret_cast<uint8_t*>(converted.data())};
    int made = got ? swr_convert(a.resampler, outs, room, const_cast<const uint8_t**>(f->extended_data), in_count)
                   : swr_convert(a.resampler, outs, room, nullptr, 0);
    if (made < 0) throw std::runtime_error("input '" + path_ + "': resampling its sound failed");
    a.samples.insert(a.samples.end(), converted.begin(), converted.begin() + made * 2);
    if (!got) a.flushed = true;
  }
  // Sound that starts after the request (when the request lies past what was dropped) stays silent.
  const int64_t start = std::max<int64_t>(first, a.base);
  const int64_t end = std::min<int64_t>(want_end, a.base + static_cast<int64_t>(a.samples.size() / 2));
  for (int64_t s = start; s < end; ++s) {
    result[static_cast<size_t>(s - first) * 2] = a.samples[static_cast<size_t>(s - a.base) * 2];
    result[static_cast<size_t>(s - first) * 2 + 1] = a.samples[static_cast<size_t>(s - a.base) * 2 + 1];
  }
  return result;
}

}  // namespace lumavox_host
