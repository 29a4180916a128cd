#include "host/media_library.h"

#include <mutex>
#include <stdexcept>

#include "host/library_entry.h"
#include "host/program_folder.h"

#ifndef LUMAVOX_MEDIA_LIBRARY
#define LUMAVOX_MEDIA_LIBRARY "liblumavox_media.so"
#endif

// Defined when the program is linked with the readers themselves; the
// program that loads them has none.
extern "C" __attribute__((weak)) const lumavox_host::MediaLibrary* LumavoxMediaLibrary();

namespace lumavox_host {

const MediaLibrary& LoadMediaLibrary(const std::string& path) {
  void* entry = LoadLibraryEntry(path, kMediaLibraryEntry, "media library", "reads movies and sound with FFmpeg");
  const MediaLibrary* media = reinterpret_cast<const MediaLibrary* (*)()>(entry)();
  if (!media) throw std::runtime_error("the media library '" + path + "' has no " + kMediaLibraryEntry);
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
