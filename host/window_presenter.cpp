#include "host/window_presenter.h"

#include <cstdlib>

#include "host/library_entry.h"
#include "host/program_folder.h"
#include "platform/gtk/gtk_dialog_presenter.h"

#ifndef LUMAVOX_WINDOW_LIBRARY
#define LUMAVOX_WINDOW_LIBRARY "liblumavox_gtk.so"
#endif

namespace lumavox_host {

namespace {

bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<DialogPresenter> OpenWindowPresenter(std::string* why) {
  return OpenWindowPresenter(ProgramFolder() + "/" LUMAVOX_WINDOW_LIBRARY, why);
}

std::unique_ptr<DialogPresenter> OpenWindowPresenter(const std::string& path, std::string* why) {
  // Without a display there is nothing to load the window system for.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
    if (why != nullptr) *why = "DISPLAY is not set";
    return nullptr;
  }
  // It stays loaded: its thread and windows outlive any one presenter.
  void* entry = LoadLibraryEntry(path, kOpenWindowPresenterEntry, "window library", "shows the dialogs on the display");
  return std::unique_ptr<DialogPresenter>(reinterpret_cast<decltype(&LumavoxOpenWindowPresenter)>(entry)(why));
}

}  // namespace lumavox_host
