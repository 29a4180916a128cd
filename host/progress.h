// Render progress on the terminal (standard error unless given): frames done
// of the total, the frames per second so far and the time left at that pace.
// On a terminal one line is rewritten; otherwise a line is written at most
// once a second and at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lumavox_host {

class Progress {
 public:
  explicit Progress(std::FILE* out = stderr);
  void Start(int64_t total_frames);
  void FrameDone(int64_t done);
  void Finish(const std::string& result);  // final line: "done", "failed", ...
  double FramesPerSecond() const;
  // The progress line without its line ending.
  std::string Line() const;

 private:
  void Print();
  std::FILE* out_;
  bool tty_;
  int64_t total_ = 0, done_ = 0;
  std::chrono::steady_clock::time_point start_, last_print_;
};

}  // namespace lumavox_host
