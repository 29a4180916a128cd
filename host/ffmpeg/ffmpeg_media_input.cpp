#include "host/ffmpeg/ffmpeg_media_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "host/ffmpeg/ffmpeg_decoder.h"
#include "host/ffmpeg/ffmpeg_scaler.h"
#include "host/test_pattern.h"

namespace lumavox_host {

namespace {

// Threads a movie's scaler splits each picture among: its pictures are
// decoded in order on one thread, which would otherwise also scale them alone.
int MovieScalingThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency() / 2, 1u, 8u)); }

// The name `pattern` gives picture `number`; empty when it numbers nothing.
std::string NumberedName(const std::string& pattern, int64_t number) {
  std::vector<char> name(pattern.size() + 64);
  if (number > INT32_MAX || av_get_frame_filename2(name.data(), static_cast<int>(name.size()), pattern.c_str(),
                                                   static_cast<int>(number), 0) < 0)
    return {};
  return name.data();
}

// The number of a sequence's first file, the first the file reader itself
// would find; -1 when `pattern` numbers no files (a single picture, or a
// pattern of wildcards).
int64_t FirstNumberedFile(AVFormatContext* fmt, const std::string& pattern) {
  if (pattern.find_first_of("*?[]{}") != std::string::npos) return -1;
  int64_t start = 0, range = 5;
  av_opt_get_int(fmt, "start_number", AV_OPT_SEARCH_CHILDREN, &start);
  av_opt_get_int(fmt, "start_number_range", AV_OPT_SEARCH_CHILDREN, &range);
  std::error_code ec;
  for (int64_t number = start; number < start + range; ++number) {
    const std::string name = NumberedName(pattern, number);
    if (name.empty() || name == pattern) break;
    if (std::filesystem::exists(name, ec)) return number;
  }
  return -1;
}

// The quarter turns clockwise that the display matrix of `stream` shows its
// pictures with, as players turn them (a turn between quarters taken to
// the nearest).
int QuarterTurns(const AVStream* stream) {
  size_t size = 0;
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (!matrix || size < 9 * sizeof(int32_t)) return 0;
  const double counterclockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  if (std::isnan(counterclockwise)) return 0;
  return static_cast<int>(((-std::lround(counterclockwise / 90.0)) % 4 + 4) % 4);
}

// Pixel (x, y) of `out` from `in`, its picture turned clockwise `turns`
// quarters.
void Turn(const HostFrame& in, int turns, HostFrame& out) {
  const size_t pixel = static_cast<size_t>(out.PixelBytes());
  for (int y = 0; y < out.height; ++y) {
    uint8_t* row = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      const int from_x = turns == 1 ? y : turns == 2 ? in.width - 1 - x : in.width - 1 - y;
      const int from_y = turns == 1 ? in.height - 1 - x : turns == 2 ? in.height - 1 - y : x;
      std::memcpy(row + x * pixel, in.Row(from_y) + from_x * pixel, pixel);
    }
  }
}

}  // namespace

struct FfmpegMediaInput::Video {
  Decoder decoder;
  AVFrame* current = nullptr;  // the picture last chosen
  bool pending = false;        // decoder.frame holds a picture not yet chosen
  double pending_time = 0;
  int64_t decoded = 0;      // pictures decoded so far
  int64_t last_index = -1;  // composition frame last rendered
  Scaler scaler;
  HostFrame upright;  // a turned picture before it is turned

  ~Video() { av_frame_free(&current); }

  double FrameTime(const AVFrame* f, double fallback) const {
    int64_t ts = f->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return fallback;
    const AVStream* s = decoder.format->streams[decoder.stream];
    return static_cast<double>(ts) * av_q2d(s->time_base) - decoder.StartSeconds();
  }
};

struct FfmpegMediaInput::Audio {
  Decoder decoder;
  SwrContext* resampler = nullptr;
  std::deque<int16_t> samples;  // interleaved stereo, from sample frame `base`
  int64_t base = 0;
  bool flushed = false;
  bool placed = false;    // the sound's start against the picture's is known
  int64_t skip = 0;       // sample frames still to drop: the sound began before the picture
  int64_t silent_to = 0;  // the sample frames before it are silence: the sound began after the picture

  ~Audio() { swr_free(&resampler); }
};

FfmpegMediaInput::FfmpegMediaInput(const std::string& path, PngHeaderReader png_header) : path_(path) {
  if (png_header && OpenPngSequence(png_header)) return;
  video_ = std::make_unique<Video>();
  if (!video_->decoder.Open(path, AVMEDIA_TYPE_VIDEO))
    throw std::runtime_error("input '" + path + "' holds no picture");
  AVFormatContext* fmt = video_->decoder.format;
  AVStream* st = fmt->streams[video_->decoder.stream];
  info_.width = st->codecpar->width;
  info_.height = st->codecpar->height;
  if (info_.width <= 0 || info_.height <= 0) throw std::runtime_error("input '" + path + "': picture size unknown");
  quarter_turns_ = QuarterTurns(st);
  if (quarter_turns_ % 2) std::swap(info_.width, info_.height);
  TakeTiming(fmt, st);
  picture_start_ = video_->decoder.StartSeconds();
  if (info_.frames <= 0) {
    // Nothing says how long it is: count the pictures on a second opening.
    Decoder counter;
    counter.Open(path, AVMEDIA_TYPE_VIDEO);
    while (av_read_frame(counter.format, counter.packet) >= 0) {
      if (counter.packet->stream_index == counter.stream) ++info_.frames;
      av_packet_unref(counter.packet);
    }
    if (info_.seconds <= 0)
      info_.seconds = static_cast<double>(info_.frames) / av_q2d(AVRational{info_.fps_num, info_.fps_den});
  }
  info_.has_sound = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  // The image file reader numbers the pictures at a rate of its own choosing.
  info_.image_sequence = std::strcmp(fmt->iformat->name, "image2") == 0;
  if (info_.image_sequence && info_.frames > 0) first_file_ = FirstNumberedFile(fmt, path);
  if (first_file_ >= 0) video_.reset();
}

// A numbered sequence of PNG files whose first one PngFrameReader reads: its
// size is that file's, read from its header, and its length the file
// reader's count, without decoding a picture to learn them.
bool FfmpegMediaInput::OpenPngSequence(PngHeaderReader png_header) {
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path_.c_str(), nullptr, nullptr) < 0) return false;  // the full opening says why
  struct Closer {
    AVFormatContext*& fmt;
    ~Closer() { avformat_close_input(&fmt); }
  } closer{fmt};
  if (std::strcmp(fmt->iformat->name, "image2") != 0 || fmt->nb_streams != 1 ||
      fmt->streams[0]->codecpar->codec_id != AV_CODEC_ID_PNG)
    return false;
  const int64_t first = FirstNumberedFile(fmt, path_);
  if (first < 0) return false;
  const std::optional<PngHeader> header = png_header(NumberedName(path_, first));
  if (!header) return false;
  info_.width = header->width;
  info_.height = header->height;
  TakeTiming(fmt, fmt->streams[0]);
  if (info_.frames <= 0) return false;
  info_.image_sequence = true;
  first_file_ = first;
  return true;
}

// The picture's rate, duration and number of pictures, as far as the file
// reader knows them; the composition runs at the picture's rate until told.
void FfmpegMediaInput::TakeTiming(AVFormatContext* fmt, AVStream* st) {
  AVRational rate = av_guess_frame_rate(fmt, st, nullptr);
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  info_.fps_num = rate.num;
  info_.fps_den = rate.den;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    info_.seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
  else if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
    info_.seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  // The pictures a movie shows span its duration: the count of its packets
  // leaves out the time a picture of a variable rate is held, and counts
  // those an edit list cuts.
  info_.frames = info_.seconds > 0 ? static_cast<int64_t>(std::llround(info_.seconds * av_q2d(rate))) : st->nb_frames;
  if (info_.frames > 0 && info_.seconds <= 0) info_.seconds = static_cast<double>(info_.frames) / av_q2d(rate);
  comp_num_ = info_.fps_num;
  comp_den_ = info_.fps_den;
}

FfmpegMediaInput::~FfmpegMediaInput() = default;

void FfmpegMediaInput::SetCompositionRate(int fps_num, int fps_den) {
  comp_num_ = fps_num;
  comp_den_ = fps_den;
}

std::string FfmpegMediaInput::PictureName(int64_t number) const { return NumberedName(path_, number); }

void FfmpegMediaInput::RenderFrame(int64_t index, HostFrame& out) {
  if (first_file_ >= 0) throw std::logic_error("the pictures of '" + path_ + "' are read one by one");
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

  if (quarter_turns_ == 0) {
    ScaleToHost(v.scaler, v.current, out, MovieScalingThreads(), path_);
    return;
  }
  // Scaled to the frame's size turned back, then turned.
  const bool across = quarter_turns_ % 2 != 0;
  const int width = across ? out.height : out.width, height = across ? out.width : out.height;
  if (v.upright.width != width || v.upright.height != height || v.upright.depth != out.depth)
    v.upright.AllocateToFill(width, height, out.depth);
  ScaleToHost(v.scaler, v.current, v.upright, MovieScalingThreads(), path_);
  Turn(v.upright, quarter_turns_, out);
}

std::vector<int16_t> FfmpegMediaInput::Sound(int64_t first, int count) {
  std::vector<int16_t> result(static_cast<size_t>(std::max(0, count)) * 2, 0);
  if (!info_.has_sound || count <= 0) return result;
  // Sound dropped as played is decoded again from the start.
  if (!audio_ || (first < audio_->base && audio_->base > audio_->silent_to)) {
    audio_ = std::make_unique<Audio>();
    if (!audio_->decoder.Open(path_, AVMEDIA_TYPE_AUDIO)) return result;
    AVCodecContext* c = audio_->decoder.codec;
    AVChannelLayout in_layout;
    if (c->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || c->ch_layout.nb_channels <= 0)
      av_channel_layout_default(&in_layout, std::max(1, c->ch_layout.nb_channels));
    else av_channel_layout_copy(&in_layout, &c->ch_layout);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    int rc = swr_alloc_set_opts2(&audio_->resampler, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &in_layout, c->sample_fmt,
                                 c->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    if (rc < 0 || swr_init(audio_->resampler) < 0)
      throw std::runtime_error("input '" + path_ + "': cannot resample its sound");
  }
  Audio& a = *audio_;
  // Drop what lies before the request.
  int64_t drop = std::clamp<int64_t>(first - a.base, 0, static_cast<int64_t>(a.samples.size() / 2));
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
    if (got && !a.placed) {
      // The sound plays from its first sample's time, the picture from its
      // own: silence before a sound that starts later, none of what
      // starts earlier.
      a.placed = true;
      const int64_t ts = f->best_effort_timestamp;
      const AVStream* s = a.decoder.format->streams[a.decoder.stream];
      const double start = ts == AV_NOPTS_VALUE ? a.decoder.StartSeconds()
                                                : static_cast<double>(ts) * av_q2d(s->time_base);
      const int64_t lead = std::llround((start - picture_start_) * kSoundRate);
      if (lead > 0) a.base = a.silent_to = lead;
      else a.skip = -lead;
    }
    const int64_t dropped = std::min<int64_t>(a.skip, made);
    a.skip -= dropped;
    a.samples.insert(a.samples.end(), converted.begin() + dropped * 2, converted.begin() + made * 2);
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
