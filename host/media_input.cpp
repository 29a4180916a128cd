#include "host/media_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <type_traits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "host/png_frame_reader.h"
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
  bool Open(const std::string& path, AVMediaType type, int threads = 0) {
    int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (rc < 0) throw std::runtime_error("cannot open input '" + path + "': " + AvError(rc));
    // The probe decodes on one thread: with a decoder's own threads it would
    // read and decode a picture per thread before it had the first.
    std::vector<AVDictionary*> probe(format->nb_streams, nullptr);
    for (AVDictionary*& options : probe) av_dict_set(&options, "threads", "1", 0);
    rc = avformat_find_stream_info(format, probe.empty() ? nullptr : probe.data());
    for (AVDictionary*& options : probe) av_dict_free(&options);
    if (rc < 0) throw std::runtime_error("cannot read input '" + path + "': " + AvError(rc));
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(format, type, -1, -1, &decoder, 0);
    if (stream < 0) return false;
    if (!decoder)
      throw std::runtime_error("input '" + path + "': no decoder for its " + av_get_media_type_string(type) +
                               " stream");
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!codec || !packet || !frame) throw std::runtime_error("out of memory opening '" + path + "'");
    avcodec_parameters_to_context(codec, format->streams[stream]->codecpar);
    codec->pkt_timebase = format->streams[stream]->time_base;
    codec->thread_count = threads;  // 0: the decoder's own threads, as many as there are cores
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

// A scaler to the host's frames, made again when the picture's size or format
// changes. With several threads each takes a band of rows with a context of
// its own (the rows come out as one context makes them).
struct Scaler {
  std::vector<SwsContext*> contexts;
  int src_width = 0, src_height = 0, src_format = -1, dst_width = 0, dst_height = 0, dst_format = -1;
  std::vector<uint8_t> wide;  // the scaled picture before it is widened (RGBA, RGBA64, or planes of 16 bits)

  Scaler() = default;
  Scaler(const Scaler&) = delete;
  Scaler& operator=(const Scaler&) = delete;
  ~Scaler() { Free(); }

  void Free() {
    for (SwsContext* c : contexts) sws_freeContext(c);
    contexts.clear();
  }

  bool Prepare(const AVFrame* src, int width, int height, AVPixelFormat target, int threads) {
    if (static_cast<int>(contexts.size()) == threads && src->width == src_width && src->height == src_height &&
        src->format == src_format && width == dst_width && height == dst_height && target == dst_format)
      return true;
    Free();
    for (int t = 0; t < threads; ++t) {
      SwsContext* c = sws_getContext(src->width, src->height, static_cast<AVPixelFormat>(src->format), width, height,
                                     target, SWS_BICUBIC, nullptr, nullptr, nullptr);
      if (!c) {
        Free();
        return false;
      }
      contexts.push_back(c);
    }
    src_width = src->width;
    src_height = src->height;
    src_format = src->format;
    dst_width = width;
    dst_height = height;
    dst_format = target;
    return true;
  }

  // Scales `src` into `rows` (`stride` bytes apart, `height` of them).
  bool Scale(const AVFrame* src, uint8_t* rows, int stride, int height) {
    uint8_t* planes[4] = {rows, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    return Scale(src, planes, strides, height);
  }

  // The same into the planes of a planar format, all of them within `wide`.
  bool Scale(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height) {
    if (contexts.size() == 1 || !ScaleInBands(src, planes, strides, height))
      return sws_scale(contexts[0], src->data, src->linesize, 0, src->height, planes, strides) > 0;
    return true;
  }

  // False when a conversion cannot give a band alone: it is then made whole.
  bool ScaleInBands(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height) {
    const int align = static_cast<int>(std::max(1u, sws_receive_slice_alignment(contexts[0])));
    const int count = static_cast<int>(contexts.size());
    const int band = ((height + count - 1) / count + align - 1) / align * align;
    std::vector<int> ok(contexts.size(), 0);
    auto scale_band = [&](int t) {
      const int first = t * band;
      if (first >= height) {
        ok[t] = 1;
        return;
      }
      AVFrame* dst = av_frame_alloc();
      if (!dst) return;
      // The rows stay ours: the frame refers to them without owning them.
      dst->buf[0] = av_buffer_create(
          planes[0], static_cast<size_t>(strides[0]) * height, [](void*, uint8_t*) {}, nullptr, 0);
      for (int p = 0; p < 4; ++p) {
        dst->data[p] = planes[p];
        dst->linesize[p] = strides[p];
      }
      dst->width = dst_width;
      dst->height = height;
      dst->format = dst_format;
      SwsContext* c = contexts[t];
      if (dst->buf[0] && sws_frame_start(c, dst, src) >= 0) {
        ok[t] = sws_send_slice(c, 0, src->height) >= 0 &&
                sws_receive_slice(c, first, std::min(band, height - first)) >= 0;
        sws_frame_end(c);
      }
      av_frame_free(&dst);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < count; ++t) helpers.emplace_back(scale_band, t);
    scale_band(0);
    for (std::thread& t : helpers) t.join();
    return std::all_of(ok.begin(), ok.end(), [](int v) { return v != 0; });
  }
};

// RGB, palette and grey pictures of 8 bits or fewer: the scaler widens their
// samples to 16 bits inexactly (255 becomes 65283, not 65535), so they are
// scaled in 8 bits and widened here. Pictures in YUV keep the 16-bit
// conversion, which keeps the precision of the colour matrix.
bool NarrowRgbPicture(const AVPixFmtDescriptor* desc) {
  if (desc == nullptr) return false;
  for (int c = 0; c < desc->nb_components; ++c)
    if (desc->comp[c].depth > 8) return false;
  return (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) != 0 || desc->nb_components <= 2;
}

// YUV pictures whose chroma is not subsampled: for them the scaler gives the
// same samples in 16-bit planes as interleaved, in a fraction of the time.
bool FullChromaYuv(const AVPixFmtDescriptor* desc) {
  return desc != nullptr && std::strncmp(desc->name, "yuv", 3) == 0 && desc->nb_components >= 3 &&
         desc->log2_chroma_w == 0 && desc->log2_chroma_h == 0 &&
         (desc->flags & (AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT | AV_PIX_FMT_FLAG_RGB)) == 0;
}

// Scales and converts picture `src` into the host's frame `out`.
void ScaleToHost(Scaler& scaler, const AVFrame* src, HostFrame& out, int threads, const std::string& path) {
  const bool wide = out.depth != 8;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(src->format));
  const bool narrow = wide && NarrowRgbPicture(desc);
  const bool planar = wide && !narrow && FullChromaYuv(desc);
  const bool has_alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
  const AVPixelFormat target = !wide    ? AV_PIX_FMT_ARGB
                               : narrow ? AV_PIX_FMT_RGBA
                               : planar ? (has_alpha ? AV_PIX_FMT_GBRAP16LE : AV_PIX_FMT_GBRP16LE)
                                        : AV_PIX_FMT_RGBA64LE;
  // Planes are made whole: made in bands they differ from the whole picture when it is scaled.
  if (!scaler.Prepare(src, out.width, out.height, target, planar ? 1 : threads))
    throw std::runtime_error("input '" + path + "': cannot convert its pictures");
  if (!wide) {
    if (!scaler.Scale(src, out.pixels.data(), out.row_bytes, out.height))
      throw std::runtime_error("input '" + path + "': converting a picture failed");
    return;
  }
  const int sample_bytes = narrow ? 1 : 2;
  const int wide_stride = out.width * (planar ? 1 : 4) * sample_bytes;
  const size_t plane_bytes = static_cast<size_t>(wide_stride) * out.height;
  const int plane_count = planar ? (has_alpha ? 4 : 3) : 1;
  scaler.wide.resize(plane_bytes * plane_count);
  uint8_t* planes[4] = {};
  int strides[4] = {};
  for (int p = 0; p < plane_count; ++p) {
    planes[p] = scaler.wide.data() + p * plane_bytes;
    strides[p] = wide_stride;
  }
  if (!scaler.Scale(src, planes, strides, out.height))
    throw std::runtime_error("input '" + path + "': converting a picture failed");
  // RGBA, or the planes G, B, R (A), to the host's ARGB 0..32768; a picture
  // without alpha is opaque.
  const uint16_t* scale = narrow ? HostScaleFrom8().data() : HostScaleFrom16().data();
  auto convert = [&](int first, int end, const auto* samples_type, auto step) {
    using Sample = std::remove_const_t<std::remove_pointer_t<decltype(samples_type)>>;
    constexpr int kStep = decltype(step)::value;
    for (int y = first; y < end; ++y) {
      const size_t at = static_cast<size_t>(y) * wide_stride;
      const Sample* channel[4];  // R, G, B, A, little-endian on both sides
      for (int c = 0; c < 4; ++c) {
        constexpr int kPlaneOf[4] = {2, 0, 1, 3};  // in the planes G, B, R, A
        const uint8_t* plane = kStep == 1 && planes[kPlaneOf[c]] ? planes[kPlaneOf[c]] : planes[0];
        channel[c] = reinterpret_cast<const Sample*>(plane + at) + (kStep == 1 ? 0 : c);
      }
      uint8_t* row = out.Row(y);
      for (int x = 0; x < out.width; ++x) {
        const size_t i = static_cast<size_t>(x) * kStep;
        const uint16_t argb[4] = {has_alpha ? scale[channel[3][i]] : static_cast<uint16_t>(kFullScale16),
                                  scale[channel[0][i]], scale[channel[1][i]], scale[channel[2][i]]};
        std::memcpy(row + x * 8, argb, 8);
      }
    }
  };
  auto convert_rows = [&](int first, int end) {
    if (narrow) convert(first, end, static_cast<const uint8_t*>(nullptr), std::integral_constant<int, 4>());
    else if (planar) convert(first, end, static_cast<const uint16_t*>(nullptr), std::integral_constant<int, 1>());
    else convert(first, end, static_cast<const uint16_t*>(nullptr), std::integral_constant<int, 4>());
  };
  if (threads <= 1) {
    convert_rows(0, out.height);
    return;
  }
  std::vector<std::thread> helpers;
  const int band = (out.height + threads - 1) / threads;
  for (int first = band; first < out.height; first += band)
    helpers.emplace_back(convert_rows, first, std::min(out.height, first + band));
  convert_rows(0, std::min(out.height, band));
  for (std::thread& t : helpers) t.join();
}

// Threads a movie's scaler splits each picture among: its pictures are
// decoded in order on one thread, which would otherwise also scale them alone.
int MovieScalingThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency() / 2, 1u, 8u)); }

// Picture `number` of a numbered sequence: the file `pattern` names for it,
// read with a demuxer and a decoder of its own.
struct PictureFile {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;

  PictureFile() = default;
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;
  ~PictureFile() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  // Decodes the file `name` with `reader` (the sequence's own file reader).
  void Read(const std::string& name, const AVInputFormat* reader) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "pattern_type", "none", 0);  // the name as it stands
    int rc = avformat_open_input(&format, name.c_str(), reader, &options);
    av_dict_free(&options);
    if (rc < 0) throw std::runtime_error("cannot open picture '" + name + "': " + AvError(rc));
    if (format->nb_streams < 1) throw std::runtime_error("picture '" + name + "' holds no picture");
    const AVCodecParameters* par = format->streams[0]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) throw std::runtime_error("picture '" + name + "': no decoder for it");
    codec = avcodec_alloc_context3(decoder);
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!codec || !packet || !frame) throw std::runtime_error("out of memory reading '" + name + "'");
    avcodec_parameters_to_context(codec, par);
    codec->thread_count = 1;  // one picture: several are read at once instead
    rc = avcodec_open2(codec, decoder, nullptr);
    if (rc < 0) throw std::runtime_error("picture '" + name + "': cannot open decoder: " + AvError(rc));
    while ((rc = av_read_frame(format, packet)) >= 0) {
      if (packet->stream_index == 0) avcodec_send_packet(codec, packet);
      av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    rc = avcodec_receive_frame(codec, frame);
    if (rc < 0) throw std::runtime_error("picture '" + name + "' could not be decoded: " + AvError(rc));
  }
};

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

}  // namespace

// The readers and scalers free for the threads reading a sequence, one per
// thread at a time.
struct MediaInput::Readers {
  std::mutex mutex;
  std::vector<std::unique_ptr<Scaler>> scalers;
  std::vector<std::unique_ptr<PngFrameReader>> png;

  template <typename T>
  std::unique_ptr<T> Take(std::vector<std::unique_ptr<T>>& free) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!free.empty()) {
        std::unique_ptr<T> taken = std::move(free.back());
        free.pop_back();
        return taken;
      }
    }
    return std::make_unique<T>();
  }

  template <typename T>
  void Give(std::vector<std::unique_ptr<T>>& free, std::unique_ptr<T> given) {
    std::lock_guard<std::mutex> lock(mutex);
    free.push_back(std::move(given));
  }
};

struct MediaInput::Video {
  Decoder decoder;
  AVFrame* current = nullptr;  // the picture last chosen
  bool pending = false;        // decoder.frame holds a picture not yet chosen
  double pending_time = 0;
  int64_t decoded = 0;      // pictures decoded so far
  int64_t last_index = -1;  // composition frame last rendered
  Scaler scaler;

  ~Video() { av_frame_free(&current); }

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

MediaInput::MediaInput(const std::string& path, bool read_png_directly)
    : path_(path), read_png_directly_(read_png_directly) {
  if (read_png_directly_ && OpenPngSequence()) return;
  video_ = std::make_unique<Video>();
  if (!video_->decoder.Open(path, AVMEDIA_TYPE_VIDEO))
    throw std::runtime_error("input '" + path + "' holds no picture");
  AVFormatContext* fmt = video_->decoder.format;
  AVStream* st = fmt->streams[video_->decoder.stream];
  info_.width = st->codecpar->width;
  info_.height = st->codecpar->height;
  if (info_.width <= 0 || info_.height <= 0) throw std::runtime_error("input '" + path + "': picture size unknown");
  TakeTiming(fmt, st);
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
  if (first_file_ >= 0) {
    readers_ = std::make_unique<Readers>();
    video_.reset();
  }
}

// A numbered sequence of PNG files whose first one PngFrameReader reads: its
// size is that file's, read from its header, and its length the file
// reader's count, without decoding a picture to learn them.
bool MediaInput::OpenPngSequence() {
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
  const std::optional<PngHeader> header = ReadPngHeader(NumberedName(path_, first));
  if (!header) return false;
  info_.width = header->width;
  info_.height = header->height;
  TakeTiming(fmt, fmt->streams[0]);
  if (info_.frames <= 0) return false;
  info_.image_sequence = true;
  first_file_ = first;
  readers_ = std::make_unique<Readers>();
  return true;
}

// The picture's rate, duration and number of pictures, as far as the file
// reader knows them; the composition runs at the picture's rate until told.
void MediaInput::TakeTiming(AVFormatContext* fmt, AVStream* st) {
  AVRational rate = av_guess_frame_rate(fmt, st, nullptr);
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  info_.fps_num = rate.num;
  info_.fps_den = rate.den;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    info_.seconds = static_cast<double>(st->duration) * av_q2d(st->time_base);
  else if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
    info_.seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  info_.frames = st->nb_frames > 0 ? st->nb_frames : static_cast<int64_t>(std::llround(info_.seconds * av_q2d(rate)));
  if (info_.frames > 0 && info_.seconds <= 0) info_.seconds = static_cast<double>(info_.frames) / av_q2d(rate);
  comp_num_ = info_.fps_num;
  comp_den_ = info_.fps_den;
}

MediaInput::~MediaInput() = default;

void MediaInput::SetCompositionRate(int fps_num, int fps_den) {
  comp_num_ = fps_num;
  comp_den_ = fps_den;
}

void MediaInput::RenderPicture(int64_t index, HostFrame& out) {
  const int64_t picture = std::clamp<int64_t>(index, 0, info_.frames - 1);
  const std::string name = NumberedName(path_, first_file_ + picture);
  if (read_png_directly_) {
    std::unique_ptr<PngFrameReader> png = readers_->Take(readers_->png);
    const bool read = png->Read(name, out);
    readers_->Give(readers_->png, std::move(png));
    if (read) return;
  }
  PictureFile file;
  file.Read(name, av_find_input_format("image2"));
  std::unique_ptr<Scaler> scaler = readers_->Take(readers_->scalers);
  ScaleToHost(*scaler, file.frame, out, 1, path_);
  readers_->Give(readers_->scalers, std::move(scaler));
}

std::shared_ptr<void> MediaInput::TakeSpareBuffers() {
  if (!readers_) return nullptr;
  auto spare = std::make_shared<Readers>();
  std::lock_guard<std::mutex> lock(readers_->mutex);
  spare->png.swap(readers_->png);
  spare->scalers.swap(readers_->scalers);
  return spare;
}

void MediaInput::RenderFrame(int64_t index, HostFrame& out) {
  if (first_file_ >= 0) {
    RenderPicture(index, out);
    return;
  }
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

  ScaleToHost(v.scaler, v.current, out, MovieScalingThreads(), path_);
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
