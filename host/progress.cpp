#include "host/progress.h"

#include <unistd.h>

#include <cmath>

namespace lumavox_host {

Progress::Progress(std::FILE* out) : out_(out), tty_(isatty(fileno(out)) != 0) {}

void Progress::Start(int64_t total_frames) {
  total_ = total_frames;
  done_ = 0;
  start_ = last_print_ = std::chrono::steady_clock::now();
}

double Progress::FramesPerSecond() const {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  return seconds > 0 ? static_cast<double>(done_) / seconds : 0.0;
}

void Progress::FrameDone(int64_t done) {
  done_ = done;
  auto now = std::chrono::steady_clock::now();
  if (done_ < total_ && now - last_print_ < std::chrono::milliseconds(tty_ ? 100 : 1000)) return;
  last_print_ = now;
  Print();
}

std::string Progress::Line() const {
  const double fps = FramesPerSecond();
  char line[160];
  int n = std::snprintf(line, sizeof line, "frame %lld/%lld, %.1f fps", static_cast<long long>(done_),
                        static_cast<long long>(total_), fps);
  if (done_ < total_ && fps > 0) {
    const long long left = std::llround(static_cast<double>(total_ - done_) / fps);
    if (left >= 3600) {
      std::snprintf(line + n, sizeof line - n, ", %lld:%02lld:%02lld left", left / 3600, left / 60 % 60, left % 60);
    } else {
      std::snprintf(line + n, sizeof line - n, ", %lld:%02lld left", left / 60, left % 60);
    }
  }
  return line;
}

void Progress::Print() {
  // On a terminal the line is rewritten in place, its old tail cleared.
  std::fprintf(out_, "%s%s%s", tty_ ? "\r" : "", Line().c_str(), tty_ ? "\033[K" : "\n");
  std::fflush(out_);
}

void Progress::Finish(const std::string& result) {
  if (tty_) std::fputc('\n', out_);
  std::fprintf(out_, "render %s: %lld of %lld frames in %.1f s, %.1f fps\n", result.c_str(),
               static_cast<long long>(done_), static_cast<long long>(total_),
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(), FramesPerSecond());
  std::fflush(out_);
}

}  // namespace lumavox_host
