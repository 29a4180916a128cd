// Keeps the terminal for the render host's own output. The plug-in prints
// its diagnostics to the process's standard output and error; while a
// TerminalLog lives, both descriptors lead into a pipe that a thread of its
// own copies into the log file (and, when asked, onto the terminal too),
// and the host writes to terminal(), a stream on the standard error that
// the process had before.
#pragma once

#include <cstdio>
#include <string>
#include <thread>

namespace lumavox_host {

class TerminalLog {
 public:
  TerminalLog() = default;
  ~TerminalLog();  // Stop()
  TerminalLog(const TerminalLog&) = delete;
  TerminalLog& operator=(const TerminalLog&) = delete;

  // Opens the log file (`log_path` empty: the diagnostics are kept nowhere)
  // and takes over standard output and error. `echo`: the diagnostics go
  // to the terminal as well. False, with the reason in `error`, when the
  // log file cannot be made or the descriptors cannot be taken over;
  // nothing is changed then.
  bool Start(const std::string& log_path, bool echo, std::string* error);
  // Gives standard output and error back and waits until every diagnostic
  // written so far is in the log.
  void Stop();

  // The stream on the terminal: standard error before Start, and also
  // when Start failed or was never called.
  std::FILE* terminal() const { return terminal_ != nullptr ? terminal_ : stderr; }

 private:
  void Copy();

  std::FILE* terminal_ = nullptr;
  int terminalFd_ = -1;
  int logFd_ = -1;
  int pipeRead_ = -1;
  int savedOut_ = -1;
  int savedErr_ = -1;
  bool echo_ = false;
  std::thread copier_;
};

}  // namespace lumavox_host
