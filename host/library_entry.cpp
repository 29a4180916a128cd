#include "host/library_entry.h"

#include <dlfcn.h>

#include <stdexcept>

namespace lumavox_host {

void* LoadLibraryEntry(const std::string& path, const char* entry, const std::string& kind, const std::string& use) {
  // Bound as calls are first made, as the program's own libraries are: FFmpeg
  // brings a hundred libraries whose every call bound at once would hold the
  // first picture back by a tenth of a second.
  void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!library) {
    const char* why = dlerror();
    throw std::runtime_error("cannot load the " + kind + " '" + path + "', which " + use + ": " +
                             (why ? why : "unknown reason"));
  }
  dlerror();
  void* function = dlsym(library, entry);
  if (!function) {
    dlclose(library);
    throw std::runtime_error("the " + kind + " '" + path + "' has no " + entry);
  }
  return function;
}

}  // namespace lumavox_host
