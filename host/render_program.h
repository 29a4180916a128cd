// What lumavox-render does once its command line is read.
#pragma once

#include "host/command_line.h"

namespace lumavox_host {

// Renders as the command line says; returns the program's exit status (0 on
// success, 1 when the render failed, 2 for unusable input, 128 + the signal
// when Ctrl-C or SIGTERM stopped it, see host/stop_signals.h). Messages go to
// standard error.
int RunRenderProgram(const CommandLine& cl);

}  // namespace lumavox_host
