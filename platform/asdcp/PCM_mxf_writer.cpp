#include "platform/asdcp/PCM_mxf_writer.h"

#include <cmath>
#include <cstdio>

#include "platform/asdcp/MXF_labels.h"
#include "platform/asdcp/MXF_track_file_writer.h"

namespace ASDCP {
namespace PCM {

using namespace MXF;

namespace {

bool Usable(const AudioDescriptor& d) {
  return d.EditRate.Numerator > 0 && d.EditRate.Denominator > 0 && d.AudioSamplingRate.Numerator > 0 &&
         d.AudioSamplingRate.Denominator > 0 && d.ChannelCount > 0 && d.BlockAlign > 0 && d.BlockAlign <= 0xffff &&
         d.QuantizationBits > 0;
}

Set WaveDescriptor(const AudioDescriptor& d, LabelSet_t label_set) {
  Set wave(Key::WaveAudioDescriptor);
  wave.U32(Prop::FileDescriptor_LinkedTrackID, 2)
      .Rate(Prop::FileDescriptor_SampleRate, d.EditRate)
      .U64(Prop::FileDescriptor_ContainerDuration, d.ContainerDuration)
      .Label(Prop::FileDescriptor_EssenceContainer, Label::WAVFrameWrapped)
      .Rate(Prop::Sound_AudioSamplingRate, d.AudioSamplingRate)
      .U8(Prop::Sound_Locked, static_cast<ui8_t>(d.Locked != 0))
      .U32(Prop::Sound_ChannelCount, d.ChannelCount)
      .U32(Prop::Sound_QuantizationBits, d.QuantizationBits)
      .U16(Prop::Wave_BlockAlign, static_cast<ui16_t>(d.BlockAlign))
      .U32(Prop::Wave_AvgBps, d.AvgBps);
  if (label_set == LS_MXF_SMPTE) {
    switch (d.ChannelFormat) {
      case CF_CFG_1: wave.Label(Prop::Wave_ChannelAssignment, Label::ChannelConfiguration1); break;
      case CF_CFG_2: wave.Label(Prop::Wave_ChannelAssignment, Label::ChannelConfiguration2); break;
      case CF_CFG_3: wave.Label(Prop::Wave_ChannelAssignment, Label::ChannelConfiguration3); break;
      default: break;
    }
  }
  return wave;
}

}  // namespace

MXFWriter::MXFWriter() : writer_(new TrackFileWriter) {}

MXFWriter::~MXFWriter() = default;

Result_t MXFWriter::OpenWrite(const std::string& filename, const WriterInfo& info, const AudioDescriptor& descriptor,
                              ui32_t header_size) {
  if (writer_->IsOpen()) return Kumu::RESULT_STATE;
  if (!Usable(descriptor)) {
    std::fprintf(stderr, "PCM::MXFWriter: the audio descriptor cannot describe a track file\n");
    return Kumu::RESULT_PARAM;
  }
  TrackFileLayout layout;
  layout.essence_container = Label::WAVFrameWrapped;
  layout.package_name = "File Package: SMPTE 382M frame wrapping of wave audio";
  layout.track_name = "Sound Track";
  layout.data_definition = Label::SoundDataDef;
  layout.track_number = 0x16010101;
  layout.essence_key = Key::WAVEssence;
  layout.edit_rate = descriptor.EditRate;
  layout.timecode_base = static_cast<ui16_t>(std::lround(descriptor.EditRate.Quotient()));
  layout.constant_rate = true;
  layout.duration = descriptor.ContainerDuration;
  Result_t result = writer_->OpenWrite(filename, info, layout, {WaveDescriptor(descriptor, info.LabelSetType)},
                                       header_size);
  if (result.Failure()) std::fprintf(stderr, "PCM::MXFWriter: cannot open %s: %s\n", filename.c_str(), result.Label());
  return result;
}

Result_t MXFWriter::WriteFrame(const FrameBuffer& frame, AESEncContext* ctx, HMACContext* hmac) {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (ctx != nullptr || hmac != nullptr) return Kumu::RESULT_NOTIMPL;
  if (frame.Size() == 0 || frame.RoData() == nullptr) return Kumu::RESULT_PARAM;
  return writer_->WriteEssence(frame.RoData(), frame.Size());
}

// The track-file writer refuses a file that is not open itself.
Result_t MXFWriter::Finalize() { return writer_->Finalize(); }

}  // namespace PCM
}  // namespace ASDCP
