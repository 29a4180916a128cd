// PNG row filters undone: each restored byte is the filtered byte plus a
// prediction from the bytes to its left (one pixel back) and above.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumavox_host {

// Undoes row filter `type` (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) on `row`
// (`bytes` long, whole pixels of `bpp` bytes, 1 to 8) given the row above,
// already restored (zeros above the first row).
void UnfilterPngRow(int type, uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp);

}  // namespace lumavox_host
