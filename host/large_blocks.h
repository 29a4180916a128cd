// Blocks of many megabytes (frames, the planes of an encoding slot) straight
// from the system, on 2 MB boundaries and open to huge pages: the first
// touch of such a block then costs a few page faults per 2 MB rather than
// one per 4 KB, which at the start of a render is most of what delays the
// first frames. Their bytes read as zero until written.
#pragma once

#include <cstddef>

namespace lumavox_host {

// Blocks from this size on are large.
constexpr size_t kLargeBlockBytes = size_t{4} << 20;

// A zeroed block of `bytes` bytes; nullptr when the system has no room.
void* AllocateLargeBlock(size_t bytes);
// Gives back a block AllocateLargeBlock made, with the size it was asked for.
void FreeLargeBlock(void* block, size_t bytes);

}  // namespace lumavox_host
