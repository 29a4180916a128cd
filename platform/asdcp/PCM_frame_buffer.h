// One edit unit of interleaved 24-bit sound.
#pragma once

#include "platform/asdcp/AS_DCP_frame_buffer.h"

namespace ASDCP {
namespace PCM {

class FrameBuffer : public ASDCP::FrameBuffer {
 public:
  FrameBuffer() = default;
  explicit FrameBuffer(ui32_t size) { Capacity(size); }
};

}  // namespace PCM
}  // namespace ASDCP
