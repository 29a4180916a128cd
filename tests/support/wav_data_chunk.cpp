#include "tests/support/wav_data_chunk.h"

#include <cstring>

#include "tests/support/test_support.h"

namespace lumavox_test {

std::vector<uint8_t> DataChunk(const std::string& path) {
  const std::vector<uint8_t> b = ReadBytes(path);
  size_t p = 12;
  while (p + 8 <= b.size()) {
    const uint32_t size = b[p + 4] | (b[p + 5] << 8) | (b[p + 6] << 16) | (uint32_t(b[p + 7]) << 24);
    if (std::memcmp(&b[p], "data", 4) == 0) return std::vector<uint8_t>(b.begin() + p + 8, b.begin() + p + 8 + size);
    p += 8 + size + (size & 1);
  }
  return {};
}

}  // namespace lumavox_test
