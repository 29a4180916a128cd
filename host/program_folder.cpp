#include "host/program_folder.h"

#include <unistd.h>

#include <climits>

namespace lumavox_host {

std::string ProgramFile() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::string ProgramFolder() {
  const std::string program = ProgramFile();
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : program.substr(0, slash);
}

}  // namespace lumavox_host
