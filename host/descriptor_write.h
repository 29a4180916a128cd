// Writing a whole buffer to a file descriptor.
#pragma once

#include <cstddef>

namespace lumavox_host {

// Writes all of `size` bytes, going on after interruptions; false with errno
// set (EIO where the descriptor takes nothing) when it cannot.
bool WriteAll(int fd, const void* data, size_t size);

}  // namespace lumavox_host
