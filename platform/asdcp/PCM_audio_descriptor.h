// What a sound track file holds: sampling, channels, sample size and
// length, and the channel configuration it declares.
#pragma once

#include "platform/asdcp/AS_DCP_rational.h"
#include "platform/asdcp/KM_types.h"

namespace ASDCP {
namespace PCM {

// The channel configuration written into the sound track file.
enum ChannelFormat_t {
  CF_NONE = 0,   // no channel assignment
  CF_CFG_1 = 1,  // the 5.1 configuration
  CF_CFG_2 = 2,  // the 6.1 configuration
  CF_CFG_3 = 3,  // the 7.1 configuration
};

struct AudioDescriptor {
  Rational EditRate;           // edit units (picture frames) per second
  Rational AudioSamplingRate;  // samples per second
  ui32_t Locked = 0;
  ui32_t ChannelCount = 0;
  ui32_t QuantizationBits = 0;  // bits per sample
  ui32_t BlockAlign = 0;        // bytes per sample frame, all channels
  ui32_t AvgBps = 0;            // bytes per second, all channels
  ui32_t LinkedTrackID = 0;
  ui32_t ContainerDuration = 0;  // whole edit units of sound
  ChannelFormat_t ChannelFormat = CF_NONE;
};

// Sample frames in one edit unit, rounded up when the rates do not divide
// (0 when either rate is unusable).
ui32_t CalcSamplesPerFrame(const AudioDescriptor& desc);
// Bytes of one edit unit of sound: samples per frame times BlockAlign.
ui32_t CalcFrameBufferSize(const AudioDescriptor& desc);

}  // namespace PCM
}  // namespace ASDCP
