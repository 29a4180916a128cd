// Reads one RIFF/WAVE file of 24-bit integer PCM at 48 or 96 kHz, an edit
// unit at a time.
#pragma once

#include <string>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_types.h"
#include "platform/asdcp/PCM_audio_descriptor.h"
#include "platform/asdcp/PCM_frame_buffer.h"

namespace ASDCP {
namespace PCM {

class WAVParser {
 public:
  WAVParser() = default;
  WAVParser(const WAVParser&) = delete;
  WAVParser& operator=(const WAVParser&) = delete;

  // Opens the file and reads its header: the "fmt " and "data" chunks in
  // either order, any other chunk skipped. Refuses (with a message on the
  // standard error stream) a missing or unreadable file, anything that is
  // not RIFF/WAVE, a format other than 24-bit integer PCM (tag 1 or the
  // extensible tag 0xFFFE with the PCM sub-format) at 48000 or 96000 Hz, an
  // inconsistent block align, a byte rate of 0, and chunks that run past
  // the end of the file.
  Result_t OpenRead(const std::string& filename, const Rational& edit_rate);
  void Close();

  // The file's own description at the edit rate given to OpenRead:
  // ContainerDuration counts the whole edit units the data holds.
  Result_t FillAudioDescriptor(AudioDescriptor& desc) const;
  // Back to the first sample.
  Result_t Reset();
  // The next edit unit: FrameSize() bytes, or fewer (whole sample frames)
  // at the end of the data; RESULT_ENDOFFILE when no whole sample frame is
  // left; RESULT_SMALLBUF when the buffer cannot hold an edit unit.
  Result_t ReadFrame(FrameBuffer& fb);

  bool IsOpen() const { return reader_.IsOpen(); }
  ui32_t SampleRate() const { return sample_rate_; }
  ui32_t ChannelCount() const { return channels_; }
  ui32_t QuantizationBits() const { return bits_; }
  ui32_t BlockAlign() const { return block_align_; }
  ui32_t FrameSize() const { return frame_size_; }
  ui64_t DataLength() const { return data_length_; }

 private:
  Result_t ReadHeader();
  Result_t ParseFormat(const byte_t* fmt, ui32_t length);

  Kumu::FileReader reader_;
  std::string filename_;
  Rational edit_rate_;
  ui32_t sample_rate_ = 0;
  ui32_t channels_ = 0;
  ui32_t bits_ = 0;
  ui32_t block_align_ = 0;
  ui32_t frame_size_ = 0;
  ui32_t samples_per_frame_ = 0;
  ui64_t data_start_ = 0;
  ui64_t data_length_ = 0;
  ui64_t read_position_ = 0;  // bytes of data already read
};

}  // namespace PCM
}  // namespace ASDCP
