#include "package/wav_header.h"

#include <cstring>

namespace {

void PutU16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void SetWavChunkIds(uint8_t* header) {
  std::memcpy(header + 0, "RIFF", 4);
  std::memcpy(header + 8, "WAVE", 4);
  std::memcpy(header + 36, "data", 4);
}

void InitWavHeader24(uint8_t* header, uint16_t channels, uint32_t sample_rate) {
  SetWavChunkIds(header);
  std::memcpy(header + 12, "fmt ", 4);  // NOLINT(bugprone-not-null-terminated-result): a chunk id has no terminator
  PutU32(header + 16, 16);
  PutU16(header + 20, 1);
  PutU16(header + 22, channels);
  PutU32(header + 24, sample_rate);
  PutU32(header + 28, sample_rate * 3u);
  PutU16(header + 32, 3);
  PutU16(header + 34, 24);
}

bool MakeWavHeader(uint8_t* header, uint16_t channels, uint32_t sample_rate, uint64_t n) {
  InitWavHeader24(header, channels, sample_rate);
  const uint64_t data_size = WavDataSize(n);
  PutU32(header + 40, static_cast<uint32_t>(data_size));
  PutU32(header + 4, static_cast<uint32_t>(data_size + 36u));
  return data_size <= kWavMaxDataSize;
}
