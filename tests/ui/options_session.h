// The options dialog opened through the host's dialog callback on the
// loaded module, with a user acting on it, and the record read back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "host/render_host.h"
#include "plugin/output_options.h"
#include "tests/support/test_support.h"
#include "tests/ui/dialog_user.h"

namespace ui_test {

class OptionsSession {
 public:
  // A set-up output in a composition of this size and rate; `edit` changes
  // the stored record that the output then takes over.
  OptionsSession(int width, int height, int fps, const std::function<void(OutputOptions&)>& edit = {});

  OutputOptions Record();
  std::vector<uint8_t> Bytes() { return host->OptionsBytes(); }
  // Opens the options dialog through the host's callback while `act`
  // plays the user; returns the callback's result.
  A_Err Open(const std::function<void(DialogUser&)>& act, bool audioCallback = false);

  std::unique_ptr<lumavox_host::RenderHost> host;
  bool userInteracted = false;
};

// The page window shown in the options dialog now.
HWND CurrentPage(DialogUser& user);
// Presses a page button of the options dialog and returns the new page.
HWND ShowPage(DialogUser& user, int button);

}  // namespace ui_test
