#include "platform/asdcp/PCM_audio_descriptor.h"

namespace ASDCP {
namespace PCM {

ui32_t CalcSamplesPerFrame(const AudioDescriptor& desc) {
  const Rational& edit = desc.EditRate;
  const Rational& sampling = desc.AudioSamplingRate;
  if (edit.Numerator <= 0 || edit.Denominator <= 0 || sampling.Numerator <= 0 || sampling.Denominator <= 0) {
    return 0;
  }
  // samples per frame = (sampling num / sampling den) / (edit num / edit den)
  ui64_t top = static_cast<ui64_t>(sampling.Numerator) * static_cast<ui64_t>(edit.Denominator);
  ui64_t bottom = static_cast<ui64_t>(sampling.Denominator) * static_cast<ui64_t>(edit.Numerator);
  ui64_t samples = (top + bottom - 1) / bottom;
  return samples > 0xFFFFFFFFull ? 0 : static_cast<ui32_t>(samples);
}

ui32_t CalcFrameBufferSize(const AudioDescriptor& desc) {
  ui64_t size = static_cast<ui64_t>(CalcSamplesPerFrame(desc)) * desc.BlockAlign;
  return size > 0xFFFFFFFFull ? 0 : static_cast<ui32_t>(size);
}

}  // namespace PCM
}  // namespace ASDCP
