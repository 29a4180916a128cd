// The presenter that shows the dialogs as windows on the user's display
// (platform/gtk): a shared library beside the program, loaded only when
// there is a display to show them on.
#pragma once

#include <memory>
#include <string>

#include "platform/win/dialog_presenter.h"

namespace lumavox_host {

// Opens the display and installs the presenter; null, with the reason in
// `why`, when there is no display to open. Throws std::runtime_error naming
// the library's file when there is a display but the library cannot be
// loaded.
std::unique_ptr<DialogPresenter> OpenWindowPresenter(std::string* why);

// The same with the library at `path`.
std::unique_ptr<DialogPresenter> OpenWindowPresenter(const std::string& path, std::string* why);

}  // namespace lumavox_host
