#include "host/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace lumavox_host {

namespace {

std::atomic<int> g_stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set in a signal handler");
// The terminal: the standard error the program had when the handlers were
// installed. During a render the standard error leads into the log.
std::atomic<int> g_terminal_fd{STDERR_FILENO};

// Only async-signal-safe calls here.
void OnStopSignal(int signal_number) {
  if (g_stop_signal.load() != 0) {
    // The second time: the signal's own action, which ends the program.
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  g_stop_signal.store(signal_number);
  static const char kText[] =
      "\nlumavox-render: stopping the render after the frame in hand (Ctrl-C again ends at once)\n";
  ssize_t written = write(g_terminal_fd.load(), kText, sizeof kText - 1);
  (void)written;
}

}  // namespace

void InstallStopSignals() {
  if (g_terminal_fd.load() == STDERR_FILENO) {
    const int terminal = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (terminal >= 0) g_terminal_fd.store(terminal);
  }
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<int>& StopSignal() { return g_stop_signal; }

}  // namespace lumavox_host
