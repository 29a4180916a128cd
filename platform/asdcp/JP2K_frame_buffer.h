// The frame buffer of one JPEG 2000 codestream.
#pragma once

#include "platform/asdcp/AS_DCP_frame_buffer.h"

namespace ASDCP {
namespace JP2K {

class FrameBuffer : public ASDCP::FrameBuffer {
 public:
  FrameBuffer() = default;
  explicit FrameBuffer(ui32_t capacity) { Capacity(capacity); }
};

}  // namespace JP2K
}  // namespace ASDCP
