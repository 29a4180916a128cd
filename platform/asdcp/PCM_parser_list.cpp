#include "platform/asdcp/PCM_parser_list.h"

#include <cstdio>

namespace ASDCP {

PCMParserList::PCMParserList() = default;
PCMParserList::~PCMParserList() = default;

void PCMParserList::Close() {
  sources_.clear();
  desc_ = PCM::AudioDescriptor();
  frame_number_ = 0;
}

Result_t PCMParserList::OpenRead(ui32_t argc, const char* const* argv, const Rational& edit_rate) {
  Close();
  if (argc == 0 || argv == nullptr) {
    std::fprintf(stderr, "PCMParserList: no WAV files given\n");
    return Kumu::RESULT_PARAM;
  }
  for (ui32_t i = 0; i < argc; ++i) {
    if (argv[i] == nullptr || argv[i][0] == 0) {
      std::fprintf(stderr, "PCMParserList: WAV file %u has no name\n", i + 1);
      Close();
      return Kumu::RESULT_NULL_STR;
    }
    auto source = std::make_unique<Source>();
    Result_t result = source->parser.OpenRead(argv[i], edit_rate);
    if (KM_FAILURE(result)) {
      Close();
      return result;
    }
    if (!sources_.empty()) {
      const PCM::WAVParser& first = sources_.front()->parser;
      if (source->parser.SampleRate() != first.SampleRate()) {
        std::fprintf(stderr, "PCMParserList: %s is at %u Hz but %s is at %u Hz\n", argv[i], source->parser.SampleRate(),
                     argv[0], first.SampleRate());
        Close();
        return Kumu::RESULT_RAW_FORMAT;
      }
      if (source->parser.QuantizationBits() != first.QuantizationBits()) {
        std::fprintf(stderr, "PCMParserList: %s has %u bits per sample but %s has %u\n", argv[i],
                     source->parser.QuantizationBits(), argv[0], first.QuantizationBits());
        Close();
        return Kumu::RESULT_RAW_FORMAT;
      }
    }
    result = source->buffer.Capacity(source->parser.FrameSize());
    if (KM_FAILURE(result)) {
      Close();
      return result;
    }
    sources_.push_back(std::move(source));
  }

  sources_.front()->parser.FillAudioDescriptor(desc_);
  desc_.ChannelCount = 0;
  desc_.BlockAlign = 0;
  for (const auto& source : sources_) {
    PCM::AudioDescriptor one;
    source->parser.FillAudioDescriptor(one);
    desc_.ChannelCount += one.ChannelCount;
    desc_.BlockAlign += one.BlockAlign;
    if (one.ContainerDuration < desc_.ContainerDuration) desc_.ContainerDuration = one.ContainerDuration;
  }
  desc_.AvgBps = desc_.BlockAlign * sources_.front()->parser.SampleRate();
  return RESULT_OK;
}

Result_t PCMParserList::FillAudioDescriptor(PCM::AudioDescriptor& desc) const {
  if (sources_.empty()) return Kumu::RESULT_INIT;
  desc = desc_;
  return RESULT_OK;
}

Result_t PCMParserList::Reset() {
  if (sources_.empty()) return Kumu::RESULT_INIT;
  for (const auto& source : sources_) {
    Result_t result = source->parser.Reset();
    if (KM_FAILURE(result)) return result;
  }
  frame_number_ = 0;
  return RESULT_OK;
}

Result_t PCMParserList::ReadFrame(PCM::FrameBuffer& fb) {
  if (sources_.empty()) return Kumu::RESULT_INIT;
  if (fb.Capacity() < PCM::CalcFrameBufferSize(desc_)) return Kumu::RESULT_SMALLBUF;
  ui32_t sample_frames = 0xFFFFFFFFu;
  for (const auto& source : sources_) {
    Result_t result = source->parser.ReadFrame(source->buffer);
    if (KM_FAILURE(result)) return result;
    ui32_t count = source->buffer.Size() / source->parser.BlockAlign();
    if (count < sample_frames) sample_frames = count;
  }
  byte_t* out = fb.Data();
  for (ui32_t s = 0; s < sample_frames; ++s) {
    for (const auto& source : sources_) {
      const ui32_t block = source->parser.BlockAlign();
      const byte_t* in = source->buffer.RoData() + static_cast<size_t>(s) * block;
      for (ui32_t b = 0; b < block; ++b) *out++ = in[b];
    }
  }
  fb.FrameNumber(frame_number_++);
  return fb.Size(sample_frames * desc_.BlockAlign);
}

}  // namespace ASDCP
