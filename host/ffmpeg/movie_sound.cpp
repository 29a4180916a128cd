#include "host/ffmpeg/movie_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "host/test_pattern.h"

namespace lumavox_host {

namespace {

// Sound is kept in blocks of at most a second, so that what was handed on
// is let go a second at a time.
constexpr size_t kBlockSamples = 2 * static_cast<size_t>(kSoundRate);

// The channel layout of a decoded frame; one whose order is not known is
// taken as the usual layout of as many channels.
AVChannelLayout LayoutOf(const AVFrame* frame) {
  AVChannelLayout layout{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
    av_channel_layout_default(&layout, std::max(1, frame->ch_layout.nb_channels));
  else av_channel_layout_copy(&layout, &frame->ch_layout);
  return layout;
}

std::string Describe(const AVChannelLayout& layout, int rate) {
  char text[128] = {};
  av_channel_layout_describe(&layout, text, sizeof text);
  return std::string(text) + " at " + std::to_string(rate) + " Hz";
}

}  // namespace

MovieSound::MovieSound(std::string path, double picture_start, int fps_num, int fps_den)
    : path_(std::move(path)), picture_start_(picture_start), fps_num_(fps_num), fps_den_(fps_den) {
  Open();
}

MovieSound::~MovieSound() {
  swr_free(&resampler_);
  av_channel_layout_uninit(&in_layout_);
}

void MovieSound::SetCompositionRate(int fps_num, int fps_den) {
  fps_num_ = fps_num;
  fps_den_ = fps_den;
}

void MovieSound::Open() {
  swr_free(&resampler_);
  av_channel_layout_uninit(&in_layout_);
  blocks_.clear();
  kept_to_ = let_go_to_ = 0;
  left_out_ = left_out();
  decoder_ = std::make_unique<Decoder>();
  decoded_all_ = !decoder_->Open(path_, AVMEDIA_TYPE_AUDIO);
  if (decoded_all_) return;
  const AVStream* stream = decoder_->format->streams[decoder_->stream];
  // A time stamp is rounded to its time base.
  tolerance_ = std::max(1.0, kSoundRate * av_q2d(stream->time_base));
  promised_end_ = -1;
  if (decoder_->described_by_header && stream->duration > 0)
    promised_end_ = std::llround((decoder_->StartSeconds() + decoder_->Seconds(stream->duration) - picture_start_) *
                                 kSoundRate);
}

DamagedFrames MovieSound::left_out() const {
  DamagedFrames all = left_out_;
  if (decoder_) all.Merge(decoder_->left_out);
  return all;
}

void MovieSound::Take(const AVFrame* frame) {
  AVChannelLayout layout = LayoutOf(frame);
  // Where the frame goes by its time stamp, and where the run has come to.
  const double at = (decoder_->Seconds(frame->best_effort_timestamp) - picture_start_) * kSoundRate;
  const double due = resampler_ ? static_cast<double>(run_start_) + static_cast<double>(run_in_) * kSoundRate / in_rate_
                                : 0.0;
  const bool same_format = resampler_ && frame->sample_rate == in_rate_ && frame->format == in_format_ &&
                           av_channel_layout_compare(&layout, &in_layout_) == 0;
  if (!same_format || (!std::isnan(at) && std::fabs(at - due) > tolerance_)) {
    // A new run: what the last one holds comes out first.
    if (resampler_) Convert(nullptr);
    swr_free(&resampler_);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int rc = swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, kSoundRate, &layout,
                                       static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    if (rc < 0 || swr_init(resampler_) < 0) {
      const std::string format = Describe(layout, frame->sample_rate);
      av_channel_layout_uninit(&layout);
      throw std::runtime_error("input '" + path_ + "': cannot resample its sound of " + format);
    }
    in_rate_ = frame->sample_rate;
    in_format_ = frame->format;
    av_channel_layout_uninit(&in_layout_);
    in_layout_ = layout;
    layout = {};
    run_start_ = std::llround(std::isnan(at) ? due : at);
    run_in_ = run_out_ = 0;
  }
  av_channel_layout_uninit(&layout);
  Convert(frame);
  run_in_ += frame->nb_samples;
}

void MovieSound::Convert(const AVFrame* input) {
  const int in_count = input ? input->nb_samples : 0;
  const int room = swr_get_out_samples(resampler_, in_count);
  if (room < 0) throw std::runtime_error("input '" + path_ + "': resampling its sound failed: " + AvError(room));
  converted_.resize(static_cast<size_t>(room) * 2 + 2);
  uint8_t* outs[1] = {reinterpret_cast<uint8_t*>(converted_.data())};
  const int made = swr_convert(resampler_, outs, room,
                               input ? const_cast<const uint8_t**>(input->extended_data) : nullptr, in_count);
  if (made < 0) throw std::runtime_error("input '" + path_ + "': resampling its sound failed: " + AvError(made));
  Keep(run_start_ + run_out_, converted_.data(), made);
  run_out_ += made;
}

void MovieSound::Keep(int64_t at, const int16_t* samples, int64_t count) {
  const int64_t overlap = std::clamp<int64_t>(kept_to_ - at, 0, count);
  at += overlap;
  samples += overlap * 2;
  count -= overlap;
  if (count <= 0) return;
  if (blocks_.empty() || blocks_.back().End() != at || blocks_.back().samples.size() >= kBlockSamples)
    blocks_.push_back(Block{at, {}});
  blocks_.back().samples.insert(blocks_.back().samples.end(), samples, samples + count * 2);
  kept_to_ = at + count;
}

std::vector<int16_t> MovieSound::Read(int64_t first, int count) {
  std::vector<int16_t> result(static_cast<size_t>(std::max(0, count)) * 2, 0);
  if (count <= 0) return result;
  if (first < let_go_to_) Open();
  const int64_t end = first + count;
  const auto let_go = [&] {
    for (; !blocks_.empty() && blocks_.front().End() <= first; blocks_.pop_front()) let_go_to_ = blocks_.front().End();
  };
  let_go();
  while (kept_to_ < end && !decoded_all_) {
    if (decoder_->Next()) {
      Take(decoder_->frame);
    } else {
      if (resampler_) Convert(nullptr);
      swr_free(&resampler_);
      decoded_all_ = true;
    }
    let_go();
  }
  // A read error, or sound that ends well before the length the header
  // gives it, is a file cut short.
  const bool cut_short = promised_end_ >= 0 && kept_to_ < promised_end_ - kSoundRate / 10;
  if (decoded_all_ && kept_to_ < end && (decoder_->read_error != 0 || cut_short)) {
    char seconds[96];
    std::snprintf(seconds, sizeof seconds, "%.3f s, in frame %lld", static_cast<double>(kept_to_) / kSoundRate,
                  static_cast<long long>(kept_to_ * fps_num_ / (static_cast<int64_t>(kSoundRate) * fps_den_)));
    std::string why = decoder_->read_error != 0 ? ": reading it failed: " + AvError(decoder_->read_error) : "";
    if (cut_short) {
      char given[64];
      std::snprintf(given, sizeof given, ", of the %.3f s its header gives",
                    static_cast<double>(promised_end_) / kSoundRate);
      why += given;
    }
    throw std::runtime_error("input '" + path_ + "': its sound breaks off at " + seconds + why +
                             "; is the file cut short or damaged?");
  }
  for (const Block& block : blocks_) {
    const int64_t from = std::max(first, block.start), to = std::min(end, block.End());
    if (from < to)
      std::copy(block.samples.begin() + (from - block.start) * 2, block.samples.begin() + (to - block.start) * 2,
                result.begin() + (from - first) * 2);
  }
  return result;
}

}  // namespace lumavox_host
