// A running dialog as its user sees it: its controls with the names a user
// knows them by (the text on a button or check box, or the label beside a
// control), and a description of what is on screen.
#pragma once

#include <string>
#include <vector>

#include "platform/win/window.h"

namespace lumavox_host {

struct ScreenControl {
  HWND window = nullptr;
  HWND dialog = nullptr;  // the dialog or page that holds it
  WindowState state;
  std::string label;       // the static text beside or above it; empty when none
  bool reachable = false;  // shown and enabled, and so is every window above it
};

// Every control of the dialog and of its child pages, in template order.
std::vector<ScreenControl> ScreenControls(HWND dialog);

// The control that `name` names among those of the given kinds: by its
// id (digits), by the text on it, or by its label, compared without case,
// blanks at the ends and a trailing ':' or "...". A name that fits several
// controls names the one a user can reach, when only one of them is. Null
// with the reason in `why` when no control or more than one fits.
const ScreenControl* FindScreenControl(const std::vector<ScreenControl>& controls, const std::string& name,
                                       const std::vector<ControlKind>& kinds, std::string* why);

// The word a user has for a kind of control ("button", "list", ...).
std::string KindWord(ControlKind kind);

// What the dialog shows, a line for each control in sight, for messages.
std::string DescribeScreen(HWND dialog);

}  // namespace lumavox_host
