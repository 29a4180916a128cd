// Several WAV files read side by side as the channels of one sound track:
// each edit unit interleaves the files' sample frames in the order given.
#pragma once

#include <memory>
#include <vector>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_types.h"
#include "platform/asdcp/PCM_audio_descriptor.h"
#include "platform/asdcp/PCM_frame_buffer.h"
#include "platform/asdcp/PCM_wav_parser.h"

namespace ASDCP {

class PCMParserList {
 public:
  PCMParserList();
  ~PCMParserList();
  PCMParserList(const PCMParserList&) = delete;
  PCMParserList& operator=(const PCMParserList&) = delete;

  // Opens argc WAV files at the edit rate. Fails (with a message on the
  // standard error stream, and nothing left open) when any file cannot be
  // used or the files' sampling rates or bit depths differ.
  Result_t OpenRead(ui32_t argc, const char* const* argv, const Rational& edit_rate);
  // The whole track: channels, block align and byte rate of all files
  // together; ContainerDuration the whole edit units of the shortest file.
  Result_t FillAudioDescriptor(PCM::AudioDescriptor& desc) const;
  // Back to the first sample of every file.
  Result_t Reset();
  // The next edit unit, the files interleaved per sample frame. Past the
  // end of the shortest file: RESULT_ENDOFFILE; its last partial edit unit
  // comes as a short frame (whole sample frames only).
  Result_t ReadFrame(PCM::FrameBuffer& fb);

 private:
  struct Source {
    PCM::WAVParser parser;
    PCM::FrameBuffer buffer;
  };
  void Close();

  std::vector<std::unique_ptr<Source>> sources_;
  PCM::AudioDescriptor desc_;
  ui32_t frame_number_ = 0;
};

}  // namespace ASDCP
