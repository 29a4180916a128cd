// What lumavox-render does once its command line is read.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "host/command_line.h"

namespace lumavox_host {

// How the program shows the plug-in's dialogs.
struct ProgramDialogs {
  // Runs `show`, which opens the options dialog and returns when it has
  // ended, with the dialogs presented to the user; `terminal` is where
  // messages go. False, with the reason in `error`, when the dialogs could
  // not be carried through (a script line failed); nothing may be stored
  // or rendered then. Unset: `show` runs under whatever presenter is there.
  std::function<bool(const std::function<void()>& show, std::FILE* terminal, std::string* error)> options;
  // A window presenter is installed for the whole program; otherwise the
  // dialogs of a render (the digest progress) go onto the terminal.
  bool window = false;
};

// Renders as the command line says; returns the program's exit status (0 on
// success, 1 when the render failed, an output's start was refused or Cancel
// in a dialog of the plug-in stopped it, 2 for unusable input, 128 + the signal when Ctrl-C or SIGTERM
// stopped it, see host/stop_signals.h). The terminal
// (standard error) shows the progress, the plug-in's messages and reports
// and the summary; the plug-in's diagnostics go to the log file.
int RunRenderProgram(const CommandLine& cl, const ProgramDialogs& dialogs = {});

}  // namespace lumavox_host
