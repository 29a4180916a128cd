// The samples of a WAV file, read by the tests on their own: the bytes of the
// first data chunk, empty when the file has none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumavox_test {

std::vector<uint8_t> DataChunk(const std::string& path);

}  // namespace lumavox_test
