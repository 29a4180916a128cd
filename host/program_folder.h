// The folder the running program's file is in, where the libraries it
// loads on demand are installed beside it.
#pragma once

#include <string>

namespace lumavox_host {

// The folder of /proc/self/exe; "." when it cannot be read.
std::string ProgramFolder();

}  // namespace lumavox_host
