#include "platform/asdcp/AS_DCP_frame_buffer.h"

#include <new>

namespace ASDCP {

Result_t FrameBuffer::Capacity(ui32_t capacity) {
  external_ = nullptr;
  if (owned_.size() < capacity) {
    try {
      owned_.resize(capacity);
    } catch (const std::bad_alloc&) {
      return Kumu::RESULT_ALLOC;
    }
  }
  capacity_ = capacity;
  if (size_ > capacity_) size_ = capacity_;
  return RESULT_OK;
}

Result_t FrameBuffer::SetData(byte_t* data, ui32_t capacity) {
  if (data == nullptr) return Kumu::RESULT_PTR;
  external_ = data;
  capacity_ = capacity;
  size_ = 0;
  return RESULT_OK;
}

Result_t FrameBuffer::Size(ui32_t size) {
  if (external_ == nullptr && size > capacity_) return Kumu::RESULT_SMALLBUF;
  size_ = size;
  return RESULT_OK;
}

}  // namespace ASDCP
