// Keeps the terminal for the render host's own output. The plug-in prints
// its diagnostics to the process's standard output and error; while a
// TerminalLog lives, both descriptors lead into a pipe that a thread of its
// own copies into the log file (and, when asked, onto the terminal too),
// and the host writes to terminal(), a stream on the standard error that
// the process had before.
#pragma once

#include <cstdio>
#include <mutex>
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
  // to the terminal as well. A log file that is not there yet is made and
  // written at once; a file of its name that is there is left as it is
  // until Begin(), the diagnostics held until then. False, with the reason
  // in `error`, when the log file cannot be made or opened, when its name
  // is a symbolic link (the log is not written through one), or when the
  // descriptors cannot be taken over; nothing is changed then.
  bool Start(const std::string& log_path, bool echo, std::string* error);
  // The render has begun: a log file that was there is emptied and gets the
  // diagnostics held so far and all that follow.
  void Begin();
  // Gives standard output and error back and waits until every diagnostic
  // written so far is in the log. Without Begin() a log file that was there
  // stays as it was, and the diagnostics held for it are dropped.
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
  std::mutex logLock_;  // between the copier and Begin()
  bool holding_ = false;
  std::string held_;
  std::thread copier_;
};

}  // namespace lumavox_host
