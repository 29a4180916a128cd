#include "tests/ui/options_session.h"

#include "platform/win/window.h"

namespace ui_test {

OptionsSession::OptionsSession(int width, int height, int fps, const std::function<void(OutputOptions&)>& edit) {
  lumavox_host::HostSettings settings;
  settings.comp.width = width;
  settings.comp.height = height;
  settings.comp.fps_num = fps;
  settings.comp.fps_den = 1;
  settings.comp.frames = fps;
  settings.echo = false;
  host = std::make_unique<lumavox_host::RenderHost>(settings);
  host->Load(lumavox_test::PluginPath());
  EXPECT_EQ(host->CallEntryPoint(), 0);
  EXPECT_EQ(host->InitOutputSpec(), 0);
  if (edit) {
    OutputOptions record = Record();
    edit(record);
    std::vector<uint8_t> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    host->SetStoredOptions(bytes);
    EXPECT_EQ(host->InitOutputSpec(), 0);
  }
}

OutputOptions OptionsSession::Record() {
  OutputOptions record;
  const std::vector<uint8_t> bytes = host->OptionsBytes();
  EXPECT_EQ(bytes.size(), sizeof record);
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  return record;
}

A_Err OptionsSession::Open(const std::function<void(DialogUser&)>& act, bool audioCallback) {
  A_Err err = -1;
  DialogUser user;
  user.Run(
      [&] {
        err = audioCallback ? host->UserAudioOptionsDialog(&userInteracted) : host->UserOptionsDialog(&userInteracted);
      },
      act);
  return err;
}

HWND CurrentPage(DialogUser& user) {
  for (HWND child : GetDialogControls(user.Dialog(1))) {
    WindowState state;
    if (QueryWindowState(child, &state) && state.kind == ControlKind::Dialog) return child;
  }
  return nullptr;
}

HWND ShowPage(DialogUser& user, int button) {
  EXPECT_TRUE(user.Click(button, user.Dialog(1)));
  return CurrentPage(user);
}

}  // namespace ui_test
