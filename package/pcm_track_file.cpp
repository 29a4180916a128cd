#include "package/pcm_track_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "package/wav_file_check.h"
#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/PCM_audio_descriptor.h"
#include "platform/asdcp/PCM_frame_buffer.h"
#include "platform/asdcp/PCM_mxf_writer.h"
#include "platform/asdcp/PCM_parser_list.h"
#include "plugin/debug_log.h"
#include "plugin/output_options.h"
#include "plugin/write_failure.h"
#include "plugin/writer_identity.h"

namespace {

constexpr Kumu::ui32_t kHeaderSize = 16384;

ASDCP::Rational SoundEditRate(uint32_t frameRate) {
  switch (frameRate) {
    case 23: return ASDCP::EditRate_23_98;
    case 25: return ASDCP::EditRate_25;
    case 30: return ASDCP::EditRate_30;
    case 48: return ASDCP::EditRate_48;
    case 50: return ASDCP::EditRate_50;
    case 60: return ASDCP::EditRate_60;
    default: return ASDCP::EditRate_24;
  }
}

// With SMPTE packing the layout's channel configuration; Interop declares
// none, whatever the layout.
ASDCP::PCM::ChannelFormat_t SoundChannelFormat(uint32_t packing, uint32_t audioLayout) {
  if (packing == 0) return ASDCP::PCM::CF_NONE;
  if (audioLayout == 2) return ASDCP::PCM::CF_CFG_3;
  if (audioLayout == 1) return ASDCP::PCM::CF_CFG_1;
  return ASDCP::PCM::CF_NONE;
}

bool IsTimelineSound(const OutputOptions& options) { return options.audioSource != 0; }

// The mono sources in channel order: tmpL and tmpR in the package folder for
// timeline sound, else the external files L R, L R C LFE Ls Rs, or all eight.
std::vector<std::string> SoundSources(const OutputOptions& options) {
  std::vector<std::string> sources;
  if (IsTimelineSound(options)) {
    sources.push_back(std::string(options.folderPath) + "/" + kTimelineLeftFile);
    sources.push_back(std::string(options.folderPath) + "/" + kTimelineRightFile);
    return sources;
  }
  for (int i = 0; i < ExternalChannelCount(options); ++i) sources.push_back(options.channelFiles[i]);
  return sources;
}

Kumu::Result_t OpenSources(ASDCP::PCMParserList& parser, const std::vector<std::string>& sources,
                           const ASDCP::Rational& editRate) {
  std::vector<const char*> argv;
  argv.reserve(sources.size());
  for (const std::string& s : sources) argv.push_back(s.c_str());
  return parser.OpenRead(static_cast<Kumu::ui32_t>(argv.size()), argv.data(), editRate);
}

void Say(const char* text) {
  std::fputs(text, stderr);
  LogMessage(text);
}

// Writes frames of silence from the frame buffer's own memory until the
// track holds `length` frames (the last partial frame counted whole).
Kumu::Result_t WriteSilence(ASDCP::PCM::MXFWriter& writer, ASDCP::PCM::FrameBuffer& buffer, double length,
                            uint32_t* written) {
  std::memset(buffer.Data(), 0, buffer.Capacity());
  buffer.Size(buffer.Capacity());
  while (double(*written) < length) {
    Kumu::Result_t result = writer.WriteFrame(buffer, nullptr, nullptr);
    if (result.Failure()) return result;
    ++*written;
  }
  return Kumu::RESULT_OK;
}

// The frames of the sources, the last partial one completed with silence,
// then silence up to the length. `sourceLimit` counts the sources' whole
// frames; the frame after them holds what is left of the sources, if
// anything.
Kumu::Result_t WriteFrames(ASDCP::PCMParserList& parser, ASDCP::PCM::MXFWriter& writer, ASDCP::PCM::FrameBuffer& buffer,
                           uint32_t sourceLimit, double length, uint32_t* written) {
  while (double(*written) < length) {
    const uint64_t n = uint64_t{*written} + 1;
    Kumu::Result_t result = parser.ReadFrame(buffer);
    if (result.Success() && n <= uint64_t{sourceLimit} + 1 && buffer.Size() > 0) {
      if (buffer.Size() != buffer.Capacity()) {
        if (n <= sourceLimit) {
          // A whole frame of the sources came short: its input is not frame
          // aligned.
          std::fputs("WARNING: Last frame read was short, PCM input is possibly not frame aligned.\n", stderr);
          std::fprintf(stderr, "Expecting %u bytes, got %u.\n", unsigned(buffer.Capacity()), unsigned(buffer.Size()));
          LogMessage("WARNING: Last frame read was short, PCM input is possibly not frame aligned.\n");
        }
        // The sources end inside this frame: its rest is silence, and
        // silence follows, so the track keeps its length.
        std::memset(buffer.Data() + buffer.Size(), 0, buffer.Capacity() - buffer.Size());
        buffer.Size(buffer.Capacity());
        result = writer.WriteFrame(buffer, nullptr, nullptr);
        if (result.Failure()) return result;
        ++*written;
        return WriteSilence(writer, buffer, length, written);
      }
      result = writer.WriteFrame(buffer, nullptr, nullptr);
      if (result.Failure()) return result;
      ++*written;
      continue;
    }
    if (result.Success() || result == Kumu::RESULT_ENDOFFILE) return WriteSilence(writer, buffer, length, written);
    return result;
  }
  return Kumu::RESULT_OK;
}

}  // namespace

int CheckExternalSound(const OutputOptions& options, char* message, size_t message_size) {
  if (IsTimelineSound(options)) return 0;
  // A path typed on the Audio page is not checked there, and a file may have
  // been exported again since it was chosen: each one is checked as a chosen
  // one is, since every channel of every file would be wrapped.
  for (const std::string& source : SoundSources(options)) {
    char reason[kWavCheckMessageSize] = "";
    uint32_t frames = 0;
    if (CheckWavFile(source.c_str(), reason, &frames, options.frameRate) != 0) {
      std::snprintf(message, message_size,
                    "Your external audiofile %s cannot be used: %s.\n Please check your audio files in the option "
                    "dialog.\n",
                    source.c_str(), reason[0] != '\0' ? reason : "it cannot be read");
      return -1;
    }
  }
  ASDCP::PCMParserList parser;
  if (OpenSources(parser, SoundSources(options), SoundEditRate(options.frameRate)).Failure()) {
    std::snprintf(message, message_size,
                  "Your external audiofiles cannot be read.\n Please check your audio files in the option dialog.\n");
    return -1;
  }
  ASDCP::PCM::AudioDescriptor descriptor;
  parser.FillAudioDescriptor(descriptor);
  if (options.inPoint > descriptor.ContainerDuration) {
    std::snprintf(message, message_size,
                  "The in-point %d lies beyond the end of your external audiofiles (%u frames).\n"
                  " Please check the in-point in the option dialog.\n",
                  static_cast<int>(options.inPoint), unsigned(descriptor.ContainerDuration));
    return -1;
  }
  return 0;
}

Kumu::Result_t write_PCM_file(OutputOptions* options) {
  Say("write_PCM_file\n");
  const ASDCP::Rational editRate = SoundEditRate(options->frameRate);

  ASDCP::PCMParserList parser;
  Kumu::Result_t result = OpenSources(parser, SoundSources(*options), editRate);
  if (result.Failure()) return result;

  ASDCP::PCM::AudioDescriptor descriptor;
  parser.FillAudioDescriptor(descriptor);
  descriptor.EditRate = editRate;
  ASDCP::PCM::FrameBuffer buffer;
  buffer.Capacity(ASDCP::PCM::CalcFrameBufferSize(descriptor));
  descriptor.ChannelFormat = SoundChannelFormat(options->packing, options->audioLayout);
  const uint32_t sourceLimit = descriptor.ContainerDuration;
  descriptor.ContainerDuration = static_cast<Kumu::ui32_t>(options->durationFrames);
  if (buffer.Capacity() == 0) return Kumu::RESULT_ALLOC;

  // The track's length: the composition's, and with external sound the
  // frames before the in-point too, which the playlist skips. An in-point
  // beyond the sources would only add silence (a negative one typed in the
  // dialog is a huge unsigned value): refused.
  double length = options->durationFrames;
  if (!IsTimelineSound(*options)) {
    if (options->inPoint > sourceLimit) {
      char text[256];
      std::snprintf(text, sizeof text, "write_PCM_file - in-point %u lies beyond the sound (%u frames)\n",
                    unsigned(options->inPoint), unsigned(sourceLimit));
      Say(text);
      return Kumu::RESULT_PARAM;
    }
    length += double(options->inPoint);
  }

  ASDCP::WriterInfo info = PackageWriterInfo;
  info.LabelSetType = options->packing != 0 ? ASDCP::LS_MXF_SMPTE : PackageWriterInfo.LabelSetType;
  Kumu::GenRandomUUID(info.AssetUUID);
  char uuidText[64] = {};
  Kumu::UUID(info.AssetUUID).EncodeHex(uuidText, sizeof uuidText);
  std::memcpy(options->soundUuid, uuidText, sizeof options->soundUuid);
  std::snprintf(options->soundFileName, sizeof options->soundFileName, "%s%s%s", "pcm_", uuidText, ".mxf");
  const std::string path = std::string(options->folderPath) + "/" + options->soundFileName;

  std::fprintf(stderr, "write_PCM_file - %s\n", path.c_str());
  const std::string logLine = "write_PCM_file - " + path + "\n";
  LogMessage(logLine.c_str());

  ASDCP::PCM::MXFWriter writer;
  errno = 0;
  result = writer.OpenWrite(path, info, descriptor, kHeaderSize);
  if (result.Failure()) {
    ReportWriteFailure(options->soundFileName, errno, result.Label());
    return result;
  }
  result = parser.Reset();
  if (result.Failure()) return result;

  uint32_t written = 0;
  errno = 0;
  result = WriteFrames(parser, writer, buffer, sourceLimit, length, &written);
  int writeError = errno;

  char count[64];
  std::snprintf(count, sizeof count, "write_PCM_file - number of frames: %d\n", static_cast<int>(written));
  Say(count);
  options->audioFrames = written;
  if (result.Success()) {
    errno = 0;
    result = writer.Finalize();
    writeError = errno;
  }
  if (result == Kumu::RESULT_WRITEFAIL || result == Kumu::RESULT_BADSEEK)
    ReportWriteFailure(options->soundFileName, writeError, result.Label());
  return result;
}
