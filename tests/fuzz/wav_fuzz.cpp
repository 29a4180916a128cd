// The two WAV readers on any bytes: the check of a chosen channel file, and
// the parser that the sound track file reads the channels through, edit unit
// by edit unit.
#include <cstddef>
#include <cstdint>

#include "package/wav_file_check.h"
#include "platform/asdcp/PCM_parser_list.h"
#include "platform/asdcp/PCM_wav_parser.h"
#include "tests/fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = lumavox_fuzz::WriteInputFile("channel.wav", data, size);

  char message[kWavCheckMessageSize] = {};
  uint32_t frames = 0;
  CheckWavFile(path.c_str(), message, &frames, 24);
  CheckWavFile(path.c_str(), message, &frames, 25);

  for (const ASDCP::Rational& rate : {ASDCP::Rational(24, 1), ASDCP::Rational(48, 1)}) {
    ASDCP::PCM::WAVParser parser;
    if (ASDCP_FAILURE(parser.OpenRead(path, rate))) continue;
    ASDCP::PCM::AudioDescriptor descriptor;
    parser.FillAudioDescriptor(descriptor);
    ASDCP::PCM::FrameBuffer buffer(parser.FrameSize() > 0 && parser.FrameSize() < (1u << 24) ? parser.FrameSize()
                                                                                             : 4096);
    for (int k = 0; k < 64 && ASDCP_SUCCESS(parser.ReadFrame(buffer)); ++k) {
    }
  }

  // Two channels of the same file, as the sound track file opens them.
  const char* files[] = {path.c_str(), path.c_str()};
  ASDCP::PCMParserList list;
  if (ASDCP_SUCCESS(list.OpenRead(2, files, ASDCP::Rational(24, 1)))) {
    ASDCP::PCM::AudioDescriptor descriptor;
    list.FillAudioDescriptor(descriptor);
    ASDCP::PCM::FrameBuffer buffer(1 << 16);
    for (int k = 0; k < 16 && ASDCP_SUCCESS(list.ReadFrame(buffer)); ++k) {
    }
  }
  return 0;
}
