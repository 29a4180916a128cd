#include "plugin/encoding_slots.h"

#include <cstring>

#include "plugin/output_options.h"

uint32_t EncodingSlotCount(A_long threads, bool stereoscopic) {
  uint32_t count = threads < 1 ? 1u : static_cast<uint32_t>(threads);
  if (count > uint32_t{kMaxEncodingSlots}) count = kMaxEncodingSlots;
  if (stereoscopic) {
    count &= ~1u;
    if (count < 2) count = 2;
  }
  return count;
}

void ClearEncodingSlots(OutputOptions& options) {
  std::memset(options.images, 0, sizeof options.images);
  std::memset(options.imageHandles, 0, sizeof options.imageHandles);
  std::memset(options.compressors, 0, sizeof options.compressors);
  std::memset(options.byteStreams, 0, sizeof options.byteStreams);
  std::memset(options.byteStreamHandles, 0, sizeof options.byteStreamHandles);
  std::memset(options.tileBuffers, 0, sizeof options.tileBuffers);
  std::memset(options.tileBufferHandles, 0, sizeof options.tileBufferHandles);
}
