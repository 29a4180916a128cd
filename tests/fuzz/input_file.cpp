#include "tests/fuzz/input_file.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace lumavox_fuzz {

namespace {

const std::string& PrivateFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/lumavox-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder for the inputs");
    return pattern;
  }();
  return folder;
}

}  // namespace

std::string WriteInputFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = PrivateFolder() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  if (size > 0 && std::fwrite(data, 1, size, file) != size) {
    std::fclose(file);
    throw std::runtime_error("cannot write " + path);
  }
  std::fclose(file);
  return path;
}

}  // namespace lumavox_fuzz
