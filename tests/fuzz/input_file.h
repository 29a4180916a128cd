// The parsers under fuzzing read files: each input is written to one file of
// a folder private to the fuzzing process, which the parsers then open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumavox_fuzz {

// The path of a file holding exactly `size` bytes of `data` (the same path at
// every call of the process, named `name` inside its private folder).
std::string WriteInputFile(const std::string& name, const uint8_t* data, size_t size);

}  // namespace lumavox_fuzz
