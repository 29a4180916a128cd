// The entry function of a library the program loads only when it needs it.
#pragma once

#include <string>

namespace lumavox_host {

// Loads the library at `path`, which then stays loaded, and returns its
// function `entry`. Throws std::runtime_error naming the file when it cannot
// be loaded ("cannot load the <kind> '<path>', which <use>: <reason>") or
// has no such function.
void* LoadLibraryEntry(const std::string& path, const char* entry, const std::string& kind, const std::string& use);

}  // namespace lumavox_host
