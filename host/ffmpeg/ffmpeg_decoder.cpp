#include "host/ffmpeg/ffmpeg_decoder.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace lumavox_host {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

namespace {

// A decoder that fails this many frames in a row without decoding one is
// given up.
constexpr int kFailuresInARow = 1000;

// Whether the file's header already says all that is read of its streams
// (sizes, rates, lengths, start times, sound layouts), so that the probe can
// be left out: it decodes a picture on one thread before anything else can
// start. A QuickTime or MP4 header does, for files whose best picture and
// sound streams are the only ones of their kind; other files are probed.
bool HeaderDescribesStreams(const AVFormatContext* format) {
  if (std::strncmp(format->iformat->name, "mov,", 4) != 0) return false;
  int pictures = 0, sounds = 0;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* s = format->streams[i];
    const AVCodecParameters* p = s->codecpar;
    if (p->codec_type != AVMEDIA_TYPE_VIDEO && p->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    if (s->start_time == AV_NOPTS_VALUE || p->codec_id == AV_CODEC_ID_NONE) return false;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
      ++pictures;
      if (p->width <= 0 || p->height <= 0 || s->avg_frame_rate.num <= 0 || s->avg_frame_rate.den <= 0 ||
          s->r_frame_rate.num <= 0 || s->r_frame_rate.den <= 0 || s->duration <= 0 || s->nb_frames <= 0)
        return false;
    } else {
      ++sounds;
      if (p->sample_rate <= 0 || p->ch_layout.nb_channels <= 0) return false;
    }
  }
  return pictures <= 1 && sounds <= 1;
}

// The best stream of `type`: of pictures, never an attached picture (cover
// art), which the best would be when it is the file's only picture.
int BestStream(AVFormatContext* format, AVMediaType type, const AVCodec** decoder) {
  int best = av_find_best_stream(format, type, -1, -1, decoder, 0);
  if (best < 0 || !(format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC)) return best;
  best = AVERROR_STREAM_NOT_FOUND;
  for (unsigned i = 0; i < format->nb_streams && best < 0; ++i) {
    const AVStream* s = format->streams[i];
    if (s->codecpar->codec_type == type && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
      best = av_find_best_stream(format, type, static_cast<int>(i), -1, decoder, 0);
  }
  return best;
}

// Whether `reader` is FFmpeg's reader of picture files (one picture each,
// a single file or a sequence of them) or one of its readers of a single
// kind of picture file.
bool ReadsPictureFiles(const AVInputFormat* reader) {
  const std::string name = reader->name;
  return name == "image2" || name == "image2pipe" ||
         (name.size() > 5 && name.compare(name.size() - 5, 5, "_pipe") == 0);
}

// Why picture `name` is refused: `codec` gave out no picture, but `rc`.
[[noreturn]] void RefuseUndecoded(const std::string& name, const AVCodecContext* codec, const DecoderErrorLog& errors,
                                  int rc) {
  const std::string reported = errors.First();
  throw std::runtime_error(
      "picture '" + name + "' could not be decoded (is it damaged or cut short?): " + AvError(rc) +
      (reported.empty() ? "" : " (FFmpeg's " + std::string(codec->codec->name) + " decoder: " + reported + ")"));
}

// Whether the decoder marked `frame` as decoded with errors (damage it
// concealed).
bool MarkedDamaged(const AVFrame* frame) {
  return frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0;
}

// Throws, naming picture `name`, when its decoder reports errors decoding
// `frame`: on FFmpeg's log, or marking the frame.
void RefuseDecodedWithErrors(const std::string& name, const AVCodecContext* codec, const DecoderErrorLog& errors,
                             const AVFrame* frame) {
  const std::string reported = errors.First();
  if (reported.empty() && !MarkedDamaged(frame)) return;
  throw std::runtime_error("picture '" + name + "' is damaged: FFmpeg's " + codec->codec->name +
                           " decoder reports errors decoding it" + (reported.empty() ? "" : ": " + reported));
}

}  // namespace

Decoder::~Decoder() {
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
}

bool Decoder::Open(const std::string& path, AVMediaType type, int threads, bool decode) {
  int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
  if (rc < 0) throw std::runtime_error("cannot open input '" + path + "': " + AvError(rc));
  described_by_header = HeaderDescribesStreams(format);
  picture_files = ReadsPictureFiles(format->iformat);
  if (!described_by_header) {
    // The probe decodes on one thread: with a decoder's own threads it would
    // read and decode a picture per thread before it had the first.
    std::vector<AVDictionary*> probe(format->nb_streams, nullptr);
    for (AVDictionary*& options : probe) av_dict_set(&options, "threads", "1", 0);
    rc = avformat_find_stream_info(format, probe.empty() ? nullptr : probe.data());
    for (AVDictionary*& options : probe) av_dict_free(&options);
    if (rc < 0) throw std::runtime_error("cannot read input '" + path + "': " + AvError(rc));
  }
  const AVCodec* decoder = nullptr;
  stream = BestStream(format, type, &decoder);
  if (stream < 0) return false;
  packet = av_packet_alloc();
  if (!packet) throw std::runtime_error("out of memory opening '" + path + "'");
  if (!decode) return true;
  if (!decoder)
    throw std::runtime_error("input '" + path + "': no decoder for its " + av_get_media_type_string(type) + " stream");
  codec = avcodec_alloc_context3(decoder);
  frame = av_frame_alloc();
  if (!codec || !frame) throw std::runtime_error("out of memory opening '" + path + "'");
  avcodec_parameters_to_context(codec, format->streams[stream]->codecpar);
  codec->pkt_timebase = format->streams[stream]->time_base;
  codec->thread_count = threads;  // 0: the decoder's own threads, as many as there are cores
  if (picture_files) {
    // Each picture decoded on the calling thread: what the decoder reports
    // while it decodes is the picture's in hand.
    codec->thread_count = 1;
    errors_.Listen(codec);
  }
  rc = avcodec_open2(codec, decoder, nullptr);
  if (rc < 0) throw std::runtime_error("input '" + path + "': cannot open decoder: " + AvError(rc));
  return true;
}

bool Decoder::Read() {
  const int rc = av_read_frame(format, packet);
  if (rc < 0) {
    if (rc != AVERROR_EOF) read_error = rc;
    return false;
  }
  mender.Mend(format, packet);
  return true;
}

// A decoder without the memory it needs is no damage of the input: held
// pictures or silence in place of what it could not decode would pass for
// the movie.
void Decoder::FailOutOfMemory(int rc) const {
  if (rc == AVERROR(ENOMEM))
    throw std::runtime_error("input '" + std::string(format->url) + "': out of memory while decoding it");
}

bool Decoder::Next() {
  int failures = 0;
  while (!output_done) {
    int rc = avcodec_receive_frame(codec, frame);
    if (rc == 0) {
      decoded_ = Seconds(frame->best_effort_timestamp);
      if (picture_files) RefuseDecodedWithErrors(format->url, codec, errors_, frame);
      else if (MarkedDamaged(frame)) with_errors.Note(decoded_);
      return true;
    }
    if (rc == AVERROR_EOF) {
      output_done = true;
      break;
    }
    // A frame that cannot be decoded (a damaged packet, or the last one of
    // a file cut short) is skipped, as players do (a picture file's is
    // refused); its decoder goes on, unless it fails whatever it is given.
    if (rc != AVERROR(EAGAIN)) {
      FailOutOfMemory(rc);
      if (picture_files) RefuseUndecoded(format->url, codec, errors_, rc);
      if (++failures > kFailuresInARow)
        throw std::runtime_error("input '" + std::string(format->url) + "' cannot be decoded: " + AvError(rc));
      left_out.Note(decoded_);
      continue;
    }
    if (input_done) {
      avcodec_send_packet(codec, nullptr);
      continue;
    }
    if (!Read()) {
      input_done = true;
      avcodec_send_packet(codec, nullptr);
      continue;
    }
    if (packet->stream_index == stream) {
      rc = avcodec_send_packet(codec, packet);
      FailOutOfMemory(rc);
      if (rc < 0 && picture_files) RefuseUndecoded(format->url, codec, errors_, rc);
      if (rc < 0) left_out.Note(decoded_);  // a damaged packet is skipped too
    }
    av_packet_unref(packet);
  }
  return false;
}

double Decoder::StartSeconds() const {
  const double start = Seconds(format->streams[stream]->start_time);
  return std::isnan(start) ? 0.0 : start;
}

double Decoder::Seconds(int64_t timestamp) const {
  return timestamp == AV_NOPTS_VALUE ? NAN
                                     : static_cast<double>(timestamp) * av_q2d(format->streams[stream]->time_base);
}

PictureFile::~PictureFile() {
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
}

void PictureFile::Read(const std::string& name, const AVInputFormat* reader) {
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
  errors_.Listen(codec);
  rc = avcodec_open2(codec, decoder, nullptr);
  if (rc < 0) throw std::runtime_error("picture '" + name + "': cannot open decoder: " + AvError(rc));
  // What the decoder says of the file's data, rather than that it ended
  // without a picture.
  int refused = 0;
  while ((rc = av_read_frame(format, packet)) >= 0) {
    if (packet->stream_index == 0) {
      const int sent = avcodec_send_packet(codec, packet);
      if (sent < 0 && refused == 0) refused = sent;
    }
    av_packet_unref(packet);
  }
  avcodec_send_packet(codec, nullptr);
  rc = avcodec_receive_frame(codec, frame);
  if (rc < 0) RefuseUndecoded(name, codec, errors_, refused < 0 ? refused : rc);
  RefuseDecodedWithErrors(name, codec, errors_, frame);
}

}  // namespace lumavox_host
