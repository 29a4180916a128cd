#include "host/media_library.h"

#include <dlfcn.h>

#include <mutex>
#include <stdexcept>

#include "host/program_folder.h"

#ifndef LUMAVOX_MEDIA_LIBRARY
#define LUMAVOX_MEDIA_LIBRARY "liblumavox_media.so"
#endif

// Defined when the program is linked with the readers themselves; the
// program that loads them has none.
extern "C" __attribute__((weak)) const lumavox_host::MediaLibrary* LumavoxMediaLibrary();

namespace lumavox_host {

const MediaLibrary& LoadMediaLibrary(const std::string& path) {
  // Bound as calls are first made, as the program's own libraries are: FFmpeg
  // brings a hundred libraries whose every call bound at once would hold the
  // first picture back by a tenth of a second.
  void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!library) {
    const char* why = dlerror();
    throw std::runtime_error("cannot load the media library '" + path + "', which reads movies and sound with " +
                             "FFmpeg: " + (why ? why : "unknown reason"));
  }
  dlerror();
  void* entry = dlsym(library, kMediaLibraryEntry);
  const MediaLibrary* media = entry ? reinterpret_cast<const MediaLibrary* (*)()>(entry)() : nullptr;
  if (!media) {
    dlclose(library);
    throw std::runtime_error("the media library '" + path + "' has no " + kMediaLibraryEntry);
  }
  return *media;
}

const MediaLibrary& Media() {
  if (&LumavoxMediaLibrary != nullptr) return *LumavoxMediaLibrary();
  static std::mutex mutex;
  static const MediaLibrary* loaded = nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  if (!loaded) loaded = &LoadMediaLibrary(ProgramFolder() + "/" LUMAVOX_MEDIA_LIBRARY);
  return *loaded;
}

}  // namespace lumavox_host
