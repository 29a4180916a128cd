// The folder the running program's file is in, where the libraries it
// loads on demand are installed beside it.
#pragma once

#include <string>

namespace lumavox_host {

// The running program's file (/proc/self/exe); empty when it cannot be read.
std::string ProgramFile();
// The folder of that file; "." when it cannot be read.
std::string ProgramFolder();

}  // namespace lumavox_host
