#include "host/ffmpeg/ffmpeg_media_input.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include "host/ffmpeg/ffmpeg_decoder.h"
#include "host/ffmpeg/ffmpeg_scaler.h"
#include "host/ffmpeg/movie_sound.h"

namespace lumavox_host {

namespace {

// A file whose streams end this many seconds before the length its header
// gives is cut short.
constexpr double kCutShort = 0.1;

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
  int64_t decoded = 0;       // pictures decoded so far
  int64_t last_index = -1;   // composition frame last rendered
  double origin = 0;         // the first picture's time on the file's clock
  double last_start = 0;     // when the picture decoded last starts, from the first one's start
  double end = 0;            // where the pictures decoded so far end, from the first one's start
  bool decoded_all = false;  // the decoder has no more pictures
  Scaler scaler;
  HostFrame upright;  // a turned picture before it is turned

  ~Video() { av_frame_free(&current); }

  // When the picture just decoded starts, from the first one's start, and
  // when it ends. A picture whose time stamp is missing, or does not come
  // after the one before (the last pictures of some files carry stale ones),
  // follows the picture before it.
  double Place(const AVFrame* f, double period) {
    const double duration = f->pkt_duration > 0 ? decoder.Seconds(f->pkt_duration) : period;
    double time = decoder.Seconds(f->best_effort_timestamp);
    if (decoded == 0) {
      origin = std::isnan(time) ? decoder.StartSeconds() : time;
      time = 0;
    } else {
      time -= origin;
      if (!(time > last_start)) time = end;
    }
    last_start = time;
    end = time + duration;
    return time;
  }
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
  // The image file reader numbers the pictures at a rate of its own choosing.
  info_.image_sequence = std::strcmp(fmt->iformat->name, "image2") == 0;
  if (!info_.image_sequence && !video_->decoder.described_by_header) MeasurePictures();
  info_.has_sound = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  if (info_.image_sequence && info_.frames > 0) first_file_ = FirstNumberedFile(fmt, path);
  if (first_file_ >= 0) video_.reset();
}

// How long the pictures last, from their packets read on a second opening
// without decoding them: from the first one's start to where the last one
// ends. The pictures of a file that gives each its time follow those times;
// those of a file that leaves some without one (AVI, MPEG program streams)
// last at least their durations together, as their decoder times them. A
// file whose packets end before the length its header gives is cut short.
void FfmpegMediaInput::MeasurePictures() {
  Decoder reader;
  reader.Open(path_, AVMEDIA_TYPE_VIDEO, 0, false);
  const double period = static_cast<double>(info_.fps_den) / info_.fps_num;
  double first = INFINITY, end = -INFINITY, durations = 0, file_end = 0;
  bool all_timed = true;
  int64_t pictures = 0;
  for (; reader.Read(); av_packet_unref(reader.packet)) {
    const AVPacket* p = reader.packet;
    const AVRational time_base = reader.format->streams[p->stream_index]->time_base;
    const int64_t ts = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
    if (ts != AV_NOPTS_VALUE) file_end = std::max(file_end, static_cast<double>(ts + p->duration) * av_q2d(time_base));
    if (p->stream_index != reader.stream || (p->flags & AV_PKT_FLAG_DISCARD)) continue;
    ++pictures;
    const double duration = p->duration > 0 ? reader.Seconds(p->duration) : period;
    durations += duration;
    all_timed = all_timed && p->pts != AV_NOPTS_VALUE;
    if (ts == AV_NOPTS_VALUE) continue;
    first = std::min(first, reader.Seconds(ts));
    end = std::max(end, reader.Seconds(ts) + duration);
  }
  if (std::isinf(first)) first = end = 0;
  if (!all_timed) end = std::max(end, first + durations);
  char held[96];
  std::snprintf(held, sizeof held, " holds %lld pictures, to %.3f s", static_cast<long long>(pictures), end - first);
  if (reader.read_error != 0)
    throw std::runtime_error("input '" + path_ + "'" + held + ", where reading it failed: " +
                             AvError(reader.read_error) + "; is the file cut short or damaged?");
  const AVFormatContext* fmt = reader.format;
  const double declared = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  if (fmt->duration_estimation_method == AVFMT_DURATION_FROM_STREAM && fmt->duration > 0 &&
      file_end < declared - kCutShort) {
    char ends[96];
    std::snprintf(ends, sizeof ends, ", and all it holds ends at %.3f s of the %.3f s", file_end, declared);
    throw std::runtime_error("input '" + path_ + "'" + held + ends +
                             " its header gives: is the file cut short or damaged?");
  }
  if (pictures == 0) throw std::runtime_error("input '" + path_ + "' holds no picture");
  info_.seconds = end - first;
  info_.frames = std::max<int64_t>(1, std::llround(info_.seconds * info_.fps_num / info_.fps_den));
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
  if (sound_) sound_->SetCompositionRate(fps_num, fps_den);
}

std::string FfmpegMediaInput::PictureName(int64_t number) const { return NumberedName(path_, number); }

std::string FfmpegMediaInput::Damage() const {
  DamagedFrames pictures = pictures_left_out_, with_errors = pictures_with_errors_;
  if (video_) {
    pictures.Merge(video_->decoder.left_out);
    with_errors.Merge(video_->decoder.with_errors);
  }
  const DamagedFrames sound = sound_ ? sound_->left_out() : DamagedFrames{};
  const auto count = [](const DamagedFrames& damaged, const char* what) {
    return std::to_string(damaged.count) + " " + what + (damaged.count == 1 ? "" : "s");
  };
  const auto say = [&](const DamagedFrames& left_out, const char* what, const char* instead) {
    if (left_out.count == 0) return std::string();
    char where[64] = " (the first before any was decoded)";
    if (!std::isnan(left_out.first))
      std::snprintf(where, sizeof where, " (the first after the one at %.3f s)", left_out.first);
    return count(left_out, what) + where + ", " + instead;
  };
  std::string text = say(pictures, "picture", "the picture before held in place of each");
  const std::string sound_text = say(sound, "sound frame", "silence in their place");
  if (!text.empty() && !sound_text.empty()) text += "; ";
  text += sound_text;
  if (!text.empty()) text = "could not decode " + text;
  // Pictures whose damage the decoder concealed are shown as players show them.
  if (with_errors.count > 0) {
    char where[64] = "";
    if (!std::isnan(with_errors.first)) std::snprintf(where, sizeof where, " (the first at %.3f s)", with_errors.first);
    text += (text.empty() ? "decoded " : "; decoded ") + count(with_errors, "picture") + " with errors" + where +
            ", shown as decoded";
  }
  return text.empty() ? text : "input '" + path_ + "' is damaged: " + text;
}

void FfmpegMediaInput::RenderFrame(int64_t index, HostFrame& out) {
  if (first_file_ >= 0) throw std::logic_error("the pictures of '" + path_ + "' are read one by one");
  if (index <= video_->last_index) {
    pictures_left_out_.Merge(video_->decoder.left_out);
    pictures_with_errors_.Merge(video_->decoder.with_errors);
    video_ = std::make_unique<Video>();
    video_->decoder.Open(path_, AVMEDIA_TYPE_VIDEO);
  }
  Video& v = *video_;
  v.last_index = index;
  const double input_period = static_cast<double>(info_.fps_den) / info_.fps_num;
  const double comp_period = static_cast<double>(comp_den_) / comp_num_;
  // The picture shown is the latest that starts before the middle of this
  // frame (one that starts there, by its rounded time, is the next frame's).
  const double middle = (static_cast<double>(index) + 0.5) * comp_period - 1e-9;
  for (;;) {
    if (!v.pending) {
      if (!v.decoder.Next()) {
        v.decoded_all = true;
        break;
      }
      v.pending = true;
      // The pictures of a sequence follow each other at the composition's rate.
      v.pending_time = info_.image_sequence ? static_cast<double>(v.decoded) * comp_period
                                            : v.Place(v.decoder.frame, input_period);
      ++v.decoded;
    }
    if (v.current && v.pending_time >= middle) break;
    if (!v.current) v.current = av_frame_alloc();
    av_frame_unref(v.current);
    av_frame_move_ref(v.current, v.decoder.frame);
    v.pending = false;
  }
  const std::string read_error = v.decoder.read_error != 0
                                     ? " (reading it failed: " + AvError(v.decoder.read_error) + ")"
                                     : "";
  if (!v.current) throw std::runtime_error("input '" + path_ + "': no picture could be decoded" + read_error);
  // Past the pictures' end, the last one is held; but a frame within the
  // length the file gives that no picture reaches means the file ends early.
  if (v.decoded_all && !info_.image_sequence && static_cast<double>(index) * comp_period >= v.end - 1e-6 &&
      index < std::llround(info_.seconds * comp_num_ / comp_den_)) {
    char span[64];
    std::snprintf(span, sizeof span, "%.3f s of the %.3f s", v.end, info_.seconds);
    throw std::runtime_error("input '" + path_ + "' held " + std::to_string(v.decoded) + " pictures, to " + span +
                             " it runs: frame " + std::to_string(index) + " has none" + read_error +
                             "; is the file cut short or damaged?");
  }

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
  if (!info_.has_sound || count <= 0) return std::vector<int16_t>(static_cast<size_t>(std::max(0, count)) * 2, 0);
  if (!sound_) sound_ = std::make_unique<MovieSound>(path_, picture_start_, comp_num_, comp_den_);
  return sound_->Read(first, count);
}

}  // namespace lumavox_host
