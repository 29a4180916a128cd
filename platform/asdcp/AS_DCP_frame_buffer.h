// A buffer for one frame of essence: either memory of its own (Capacity)
// or a caller's memory that it only points at (SetData).
#pragma once

#include <vector>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_types.h"

namespace ASDCP {

class FrameBuffer {
 public:
  FrameBuffer() = default;
  virtual ~FrameBuffer() = default;
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  // Gives the buffer memory of its own of the given size (kept when it is
  // large enough already); the size shrinks to fit.
  Result_t Capacity(ui32_t capacity);
  // Points the buffer at the caller's memory, which the caller keeps alive
  // and frees. The size returns to 0.
  Result_t SetData(byte_t* data, ui32_t capacity);

  ui32_t Capacity() const { return capacity_; }
  ui32_t Size() const { return size_; }
  // Sets the count of valid bytes. With the caller's memory the count may
  // exceed the declared capacity (the caller vouches for its memory); with
  // memory of its own it may not: RESULT_SMALLBUF, size unchanged.
  Result_t Size(ui32_t size);
  bool OwnsData() const { return external_ == nullptr; }

  byte_t* Data() { return external_ != nullptr ? external_ : owned_.data(); }
  const byte_t* RoData() const { return external_ != nullptr ? external_ : owned_.data(); }

  ui32_t FrameNumber() const { return frame_number_; }
  void FrameNumber(ui32_t number) { frame_number_ = number; }
  ui32_t PlaintextOffset() const { return plaintext_offset_; }
  void PlaintextOffset(ui32_t offset) { plaintext_offset_ = offset; }
  ui32_t SourceLength() const { return source_length_; }
  void SourceLength(ui32_t length) { source_length_ = length; }

 private:
  std::vector<byte_t> owned_;
  byte_t* external_ = nullptr;
  ui32_t capacity_ = 0;
  ui32_t size_ = 0;
  ui32_t frame_number_ = 0;
  ui32_t plaintext_offset_ = 0;
  ui32_t source_length_ = 0;
};

}  // namespace ASDCP
