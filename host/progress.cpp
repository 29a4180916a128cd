#include "host/progress.h"

#include <unistd.h>

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

void Progress::Print() {
  std::fprintf(out_, "%sframe %lld/%lld, %.1f fps%s", tty_ ? "\r" : "", static_cast<long long>(done_),
               static_cast<long long>(total_), FramesPerSecond(), tty_ ? "" : "\n");
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
