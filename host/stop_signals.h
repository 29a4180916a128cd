// Ctrl-C (SIGINT) and SIGTERM as the render queue's Stop button: the first
// of them asks the render to stop, which then ends as a stopped render does;
// a second one ends the program at once.
#pragma once

#include <atomic>

namespace lumavox_host {

// Installs the handlers of both signals for the whole process. The notice of
// a stop goes to the standard error the process has now, the terminal.
void InstallStopSignals();

// The signal that asked for the stop, 0 while none came. Render loops poll it
// (RenderControl::stop_signal).
const std::atomic<int>& StopSignal();

}  // namespace lumavox_host
