#include "tests/support/retimed_subtitles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tests/support/test_support.h"

namespace lumavox_test {

namespace {

// Frame `frame` at 24 fps as a SMPTE time code or an Interop time (ticks of
// 4 ms).
std::string TimeOf(int frame, bool smpte) {
  char text[32];
  if (smpte) {
    std::snprintf(text, sizeof text, "00:00:%02d:%02d", frame / 24, frame % 24);
  } else {
    const int ms = frame * 1000 / 24;
    std::snprintf(text, sizeof text, "00:00:%02d:%03d", ms / 1000, ms % 1000 / 4);
  }
  return text;
}

}  // namespace

std::string SubtitlesEndingAt(const std::string& folder, bool smpte, int frames) {
  const std::string from = SharedDir() + "/reference/subtitles/" + (smpte ? "smpte" : "interop");
  std::filesystem::create_directories(folder);
  std::string document;
  for (const auto& entry : std::filesystem::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".xml") {
      document = folder + "/" + name;
    } else {
      std::filesystem::copy_file(entry.path(), folder + "/" + name);
    }
  }
  std::string text = ReadText(from + "/" + std::filesystem::path(document).filename().string());
  const std::pair<std::string, std::string> times[] = {
      {"TimeOut=\"" + TimeOf(22, smpte) + "\"", "TimeOut=\"" + TimeOf(std::min(22, frames - 1), smpte) + "\""},
      {"TimeIn=\"" + TimeOf(24, smpte) + "\" TimeOut=\"" + TimeOf(48, smpte) + "\"",
       "TimeIn=\"" + TimeOf(frames / 2, smpte) + "\" TimeOut=\"" + TimeOf(frames, smpte) + "\""}};
  for (const auto& [was, now] : times) {
    const size_t at = text.find(was);
    EXPECT_NE(at, std::string::npos) << was;
    if (at != std::string::npos) text.replace(at, was.size(), now);
  }
  WriteText(document, text);
  return document;
}

}  // namespace lumavox_test
