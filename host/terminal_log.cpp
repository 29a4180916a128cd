#include "host/terminal_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/descriptor_write.h"
#include "host/thread_start.h"

namespace lumavox_host {

namespace {

void CloseFd(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

}  // namespace

TerminalLog::~TerminalLog() {
  Stop();
  if (terminal_ != nullptr) (void)std::fclose(terminal_);  // the terminal: nowhere left to report to
}

bool TerminalLog::Start(const std::string& log_path, bool echo, std::string* error) {
  auto fail = [&](const std::string& what) {
    char reason[256];
    if (error != nullptr) *error = what + ": " + strerror_r(errno, reason, sizeof reason);
    CloseFd(&logFd_);
    holding_ = false;
    return false;
  };
  if (copier_.joinable()) return true;
  echo_ = echo;
  if (!log_path.empty()) {
    // A file of the log's name is not changed before the render begins: it
    // may yet be refused.
    logFd_ = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    holding_ = logFd_ < 0 && errno == EEXIST;
    if (holding_) logFd_ = ::open(log_path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat entry = {};
    if (logFd_ < 0 && errno == ELOOP && ::lstat(log_path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
      if (error != nullptr)
        *error = "the log file '" + log_path +
                 "' is a symbolic link, which the log is not written through; remove it or choose another output";
      holding_ = false;
      return false;
    }
    if (logFd_ < 0) return fail("cannot write the log file '" + log_path + "'");
  }
  if (terminal_ == nullptr) {
    terminalFd_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (terminalFd_ < 0) return fail("cannot keep the terminal");
    terminal_ = ::fdopen(terminalFd_, "w");
    if (terminal_ == nullptr) {
      CloseFd(&terminalFd_);
      return fail("cannot keep the terminal");
    }
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return fail("cannot make the diagnostics pipe");
  std::fflush(stdout);
  std::fflush(stderr);
  savedOut_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  savedErr_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  // The standard streams lead to the terminal again, and the pipe goes.
  auto give_back = [&](const std::string& what) {
    const int saved = errno;
    if (savedOut_ >= 0) ::dup2(savedOut_, STDOUT_FILENO);
    if (savedErr_ >= 0) ::dup2(savedErr_, STDERR_FILENO);
    CloseFd(&savedOut_);
    CloseFd(&savedErr_);
    ::close(fds[0]);
    ::close(fds[1]);
    errno = saved;
    return fail(what);
  };
  if (savedOut_ < 0 || savedErr_ < 0 || ::dup2(fds[1], STDOUT_FILENO) < 0 || ::dup2(fds[1], STDERR_FILENO) < 0)
    return give_back("cannot take over the standard streams");
  pipeRead_ = fds[0];
  if (!StartThread(copier_, [this] { Copy(); })) {
    pipeRead_ = -1;
    errno = EAGAIN;
    return give_back("cannot start the thread that copies the diagnostics to the log");
  }
  ::close(fds[1]);
  return true;
}

void TerminalLog::Copy() {
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(pipeRead_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (logFd_ >= 0) {
      const std::lock_guard<std::mutex> lock(logLock_);
      if (holding_) {
        held_.append(buffer, static_cast<size_t>(n));
      } else {
        WriteAll(logFd_, buffer, static_cast<size_t>(n));
      }
    }
    if (echo_ && terminalFd_ >= 0) WriteAll(terminalFd_, buffer, static_cast<size_t>(n));
  }
}

void TerminalLog::Begin() {
  const std::lock_guard<std::mutex> lock(logLock_);
  if (!holding_) return;
  holding_ = false;
  // Emptied as a new log; what cannot be emptied (a device in its place)
  // gets the log after what it holds.
  if (::ftruncate(logFd_, 0) != 0) (void)::lseek(logFd_, 0, SEEK_END);
  WriteAll(logFd_, held_.data(), held_.size());
  held_ = std::string();
}

void TerminalLog::Stop() {
  if (!copier_.joinable()) return;
  std::fflush(stdout);
  std::fflush(stderr);
  // Once the standard streams lead elsewhere the pipe has no writer left
  // (programs the plug-in started and that still hold it aside), and the
  // copier meets its end.
  ::dup2(savedOut_, STDOUT_FILENO);
  ::dup2(savedErr_, STDERR_FILENO);
  CloseFd(&savedOut_);
  CloseFd(&savedErr_);
  copier_.join();
  CloseFd(&pipeRead_);
  // Still held: the render never began, and the file is left as it was.
  held_ = std::string();
  if (logFd_ >= 0 && !holding_) ::fsync(logFd_);
  holding_ = false;
  CloseFd(&logFd_);
}

}  // namespace lumavox_host
