#include "platform/asdcp/PCM_wav_parser.h"

#include <cstdio>
#include <cstring>

namespace ASDCP {
namespace PCM {

namespace {

constexpr ui16_t kFormatPCM = 1;
constexpr ui16_t kFormatExtensible = 0xFFFE;
constexpr ui32_t kBitsPerSample = 24;
constexpr ui32_t kBytesPerSample = 3;
// The extensible format's sub-format for integer PCM, after its first two
// bytes (the plain format tag, 1).
const byte_t kPCMSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

ui16_t Get16(const byte_t* p) { return static_cast<ui16_t>(p[0] | (p[1] << 8)); }

ui32_t Get32(const byte_t* p) {
  return static_cast<ui32_t>(p[0]) | (static_cast<ui32_t>(p[1]) << 8) | (static_cast<ui32_t>(p[2]) << 16) |
         (static_cast<ui32_t>(p[3]) << 24);
}

}  // namespace

Result_t WAVParser::OpenRead(const std::string& filename, const Rational& edit_rate) {
  Close();
  filename_ = filename;
  if (edit_rate.Numerator <= 0 || edit_rate.Denominator <= 0) {
    std::fprintf(stderr, "WAV file %s: invalid edit rate %d/%d\n", filename.c_str(), edit_rate.Numerator,
                 edit_rate.Denominator);
    return Kumu::RESULT_PARAM;
  }
  edit_rate_ = edit_rate;
  Result_t result = reader_.OpenRead(filename);
  if (KM_FAILURE(result)) {
    std::fprintf(stderr, "WAV file %s: cannot open: %s\n", filename.c_str(),
                 result == Kumu::RESULT_NOT_FOUND ? "no such file" : result.Label());
    return result;
  }
  result = ReadHeader();
  if (KM_FAILURE(result)) {
    Close();
    return result;
  }
  AudioDescriptor desc;
  FillAudioDescriptor(desc);
  samples_per_frame_ = CalcSamplesPerFrame(desc);
  frame_size_ = CalcFrameBufferSize(desc);
  if (samples_per_frame_ == 0 || frame_size_ == 0) {
    std::fprintf(stderr, "WAV file %s: edit rate %d/%d gives no usable frame size\n", filename.c_str(),
                 edit_rate.Numerator, edit_rate.Denominator);
    Close();
    return Kumu::RESULT_PARAM;
  }
  read_position_ = 0;
  return RESULT_OK;
}

void WAVParser::Close() {
  reader_.Close();
  sample_rate_ = channels_ = bits_ = block_align_ = frame_size_ = samples_per_frame_ = 0;
  data_start_ = data_length_ = read_position_ = 0;
}

Result_t WAVParser::ReadHeader() {
  const char* name = filename_.c_str();
  const ui64_t file_size = static_cast<ui64_t>(reader_.Size());
  byte_t riff[12];
  ui32_t got = 0;
  if (file_size < sizeof(riff) || KM_FAILURE(reader_.Read(riff, sizeof(riff), &got)) || got != sizeof(riff)) {
    std::fprintf(stderr, "WAV file %s: too short for a RIFF header\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    std::fprintf(stderr, "WAV file %s: not a RIFF/WAVE file\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }

  bool have_format = false;
  bool have_data = false;
  ui64_t position = sizeof(riff);
  while (!(have_format && have_data) && position + 8 <= file_size) {
    byte_t chunk[8];
    if (KM_FAILURE(reader_.Seek(static_cast<Kumu::fpos_t>(position))) ||
        KM_FAILURE(reader_.Read(chunk, sizeof(chunk), &got)) || got != sizeof(chunk)) {
      std::fprintf(stderr, "WAV file %s: cannot read the chunk header at byte %llu\n", name,
                   static_cast<unsigned long long>(position));
      return Kumu::RESULT_READFAIL;
    }
    const ui32_t length = Get32(chunk + 4);
    const ui64_t payload = position + 8;
    const bool fits = payload + length <= file_size;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !have_format) {
      if (!fits) {
        std::fprintf(stderr, "WAV file %s: the \"fmt \" chunk runs past the end of the file\n", name);
        return Kumu::RESULT_RAW_FORMAT;
      }
      byte_t format[40] = {};
      ui32_t want = length < sizeof(format) ? length : static_cast<ui32_t>(sizeof(format));
      if (KM_FAILURE(reader_.Read(format, want, &got)) || got != want) {
        std::fprintf(stderr, "WAV file %s: cannot read the \"fmt \" chunk\n", name);
        return Kumu::RESULT_READFAIL;
      }
      Result_t result = ParseFormat(format, length);
      if (KM_FAILURE(result)) return result;
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !have_data) {
      if (!fits) {
        std::fprintf(stderr,
                     "WAV file %s: the \"data\" chunk declares %u bytes but the file holds only %llu after it\n", name,
                     length, static_cast<unsigned long long>(file_size - payload));
        return Kumu::RESULT_RAW_FORMAT;
      }
      data_start_ = payload;
      data_length_ = length;
      have_data = true;
    } else if (!fits) {
      std::fprintf(stderr, "WAV file %s: a chunk at byte %llu runs past the end of the file\n", name,
                   static_cast<unsigned long long>(position));
      return Kumu::RESULT_RAW_FORMAT;
    }
    // Chunks are padded to an even length.
    position = payload + length + (length & 1u);
  }
  if (!have_format) {
    std::fprintf(stderr, "WAV file %s: no \"fmt \" chunk\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (!have_data) {
    std::fprintf(stderr, "WAV file %s: no \"data\" chunk\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  return RESULT_OK;
}

Result_t WAVParser::ParseFormat(const byte_t* fmt, ui32_t length) {
  const char* name = filename_.c_str();
  if (length < 16) {
    std::fprintf(stderr, "WAV file %s: the \"fmt \" chunk is too short (%u bytes)\n", name, length);
    return Kumu::RESULT_RAW_FORMAT;
  }
  const ui16_t tag = Get16(fmt);
  const ui32_t channels = Get16(fmt + 2);
  const ui32_t rate = Get32(fmt + 4);
  const ui32_t byte_rate = Get32(fmt + 8);
  const ui32_t block_align = Get16(fmt + 12);
  const ui32_t bits = Get16(fmt + 14);
  if (tag == kFormatExtensible) {
    // cbSize, valid bits, channel mask, then the 16-byte sub-format.
    if (length < 40) {
      std::fprintf(stderr, "WAV file %s: the extensible format record is too short (%u bytes)\n", name, length);
      return Kumu::RESULT_RAW_FORMAT;
    }
    if (Get16(fmt + 24) != kFormatPCM || std::memcmp(fmt + 26, kPCMSubFormatTail, sizeof(kPCMSubFormatTail)) != 0) {
      std::fprintf(stderr, "WAV file %s: unsupported sub-format (integer PCM expected)\n", name);
      return Kumu::RESULT_RAW_FORMAT;
    }
  } else if (tag != kFormatPCM) {
    std::fprintf(stderr, "WAV file %s: unsupported format tag 0x%04x (integer PCM expected)\n", name, tag);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (channels == 0) {
    std::fprintf(stderr, "WAV file %s: no channels\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (rate != 48000 && rate != 96000) {
    std::fprintf(stderr, "WAV file %s: unsupported sample rate %u (48000 or 96000 expected)\n", name, rate);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (bits != kBitsPerSample) {
    std::fprintf(stderr, "WAV file %s: unsupported bit depth %u (24 expected)\n", name, bits);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (block_align != channels * kBytesPerSample) {
    std::fprintf(stderr, "WAV file %s: block align %u does not fit %u channels of 24 bits\n", name, block_align,
                 channels);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (byte_rate == 0) {
    std::fprintf(stderr, "WAV file %s: byte rate of 0\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  sample_rate_ = rate;
  channels_ = channels;
  bits_ = bits;
  block_align_ = block_align;
  return RESULT_OK;
}

Result_t WAVParser::FillAudioDescriptor(AudioDescriptor& desc) const {
  if (!IsOpen()) return Kumu::RESULT_INIT;
  desc = AudioDescriptor();
  desc.EditRate = edit_rate_;
  desc.AudioSamplingRate = Rational(static_cast<i32_t>(sample_rate_), 1);
  desc.Locked = 0;
  desc.ChannelCount = channels_;
  desc.QuantizationBits = bits_;
  desc.BlockAlign = block_align_;
  desc.AvgBps = sample_rate_ * block_align_;
  desc.LinkedTrackID = 0;
  desc.ChannelFormat = CF_NONE;
  ui64_t frames = frame_size_ != 0 ? data_length_ / frame_size_ : 0;
  desc.ContainerDuration = frames > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<ui32_t>(frames);
  return RESULT_OK;
}

Result_t WAVParser::Reset() {
  if (!IsOpen()) return Kumu::RESULT_INIT;
  read_position_ = 0;
  return RESULT_OK;
}

Result_t WAVParser::ReadFrame(FrameBuffer& fb) {
  if (!IsOpen()) return Kumu::RESULT_INIT;
  if (fb.Capacity() < frame_size_) return Kumu::RESULT_SMALLBUF;
  ui64_t remaining = data_length_ - read_position_;
  remaining -= remaining % block_align_;
  if (remaining == 0) return RESULT_ENDOFFILE;
  ui32_t want = remaining < frame_size_ ? static_cast<ui32_t>(remaining) : frame_size_;
  ui32_t got = 0;
  if (KM_FAILURE(reader_.Seek(static_cast<Kumu::fpos_t>(data_start_ + read_position_))) ||
      KM_FAILURE(reader_.Read(fb.Data(), want, &got)) || got != want) {
    std::fprintf(stderr, "WAV file %s: read error in the sound data\n", filename_.c_str());
    return Kumu::RESULT_READFAIL;
  }
  read_position_ += want;
  return fb.Size(want);
}

}  // namespace PCM
}  // namespace ASDCP
