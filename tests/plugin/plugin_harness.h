// The plug-in module loaded into the render host, for tests that drive it
// through the host's suites, and readers of the stored options bytes at their
// offsets.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/render_host.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/dialog_template.h"
#include "platform/win/user_input.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "tests/support/test_support.h"

namespace plugin_test {

inline lumavox_host::Composition Comp(int width, int height, int fps, int depth = 16) {
  lumavox_host::Composition c;
  c.width = width;
  c.height = height;
  c.fps_num = fps;
  c.fps_den = 1;
  c.frames = fps * 2;
  c.depth = depth;
  return c;
}

// A host with the module loaded and registered.
inline std::unique_ptr<lumavox_host::RenderHost> LoadedHost(const lumavox_host::Composition& comp) {
  lumavox_host::HostSettings settings;
  settings.comp = comp;
  settings.echo = false;
  auto host = std::make_unique<lumavox_host::RenderHost>(settings);
  host->Load(lumavox_test::PluginPath());
  EXPECT_EQ(host->CallEntryPoint(), 0);
  return host;
}

// Answers every dialog the module opens with Cancel, as a user would.
class CancelEveryDialog : public DialogPresenter {
 public:
  CancelEveryDialog() : previous_(SetDialogPresenter(this)) {}
  ~CancelEveryDialog() override { SetDialogPresenter(previous_); }
  void DialogOpened(HWND dialog) override {
    WindowState state;
    if (QueryWindowState(dialog, &state) && !(state.style & WS_CHILD)) UserClickButton(dialog, IDCANCEL);
  }

 private:
  DialogPresenter* previous_;
};

inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b.at(at + i);
  return v;
}

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = uint8_t(v >> (8 * i));
}

inline std::string Text(const std::vector<uint8_t>& b, size_t at, size_t width) {
  std::string s(reinterpret_cast<const char*>(b.data() + at), width);
  return s.substr(0, s.find('\0'));
}

inline void PutText(std::vector<uint8_t>& b, size_t at, size_t width, const std::string& text) {
  std::memset(b.data() + at, 0, width);
  std::memcpy(b.data() + at, text.data(), text.size());
}

// Offsets of the stored record.
constexpr size_t kRecordSize = 11688;
constexpr size_t kVersion = 0, kTitle = 272, kAnnotation = 532, kIssuer = 792, kUseCompName = 1312,
                 kCategoryText = 1320, kPacking = 1352, kBitRate = 1356, kStereoBitRate = 1360, kXyz = 1368,
                 kFrameRate = 1372, kWidth = 1376, kHeight = 1380, kOutputDepth = 1384, kProjectBitDepth = 1386,
                 kStereoscopic = 1387, kMultiSelectAudio = 1476, kAudioSource = 1480, kChannelFiles = 1496,
                 kSubtitlePath = 5665, kFilmTitle = 11540, kTitleSelections = 11604, kHostVersion = 11536;

}  // namespace plugin_test
