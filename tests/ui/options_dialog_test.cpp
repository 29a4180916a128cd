// The options dialog through the host's dialog callbacks: OK writes the
// scratch copy back, Cancel, Escape and the close box leave the record as
// it was; the page framework (caption, placement, switching).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "tests/ui/options_session.h"
#include "ui/dialog_ids.h"
#include "ui/options_dialog.h"

namespace {

using ui_test::CurrentPage;
using ui_test::DialogUser;
using ui_test::OptionsSession;
using ui_test::ShowPage;

constexpr size_t kBasicDataAt = 11528;

// Changes on several pages that a later Cancel must undo.
void ChangeEverything(DialogUser& user) {
  HWND page = CurrentPage(user);
  user.Click(kUseCompNameCheck, page);
  user.Type(kTitleEdit, "CHANGED", page);
  user.Choose(kPackingList, 1, page);
  page = ShowPage(user, 2200);
  EXPECT_TRUE(user.Drag(kBitRateTrackBar, 17, page));
  EXPECT_EQ(user.Text(kBitRateText, page), "17");
  page = ShowPage(user, 2300);
  user.Choose(kAudioSourceList, 0, page);
  user.Type(kInPointEdit, "42", page);
  page = ShowPage(user, 2400);
  EXPECT_TRUE(user.Click(kSubtitleCheck, page));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kSubtitlePathEdit)));
}

TEST(OptionsDialog, CancelEscapeAndCloseBoxLeaveTheRecordUntouched) {
  const std::vector<std::function<void(DialogUser&)>> ways = {
      [](DialogUser& u) { u.Click(IDCANCEL, u.Dialog(1)); },
      [](DialogUser& u) { u.PressEscape(); },
      [](DialogUser& u) { u.ClickCloseBox(); },
  };
  for (const auto& way : ways) {
    OptionsSession session(2048, 1080, 24);
    std::vector<uint8_t> before = session.Bytes();
    session.userInteracted = true;
    EXPECT_EQ(session.Open([&](DialogUser& user) {
      ChangeEverything(user);
      way(user);
    }),
              0);
    EXPECT_FALSE(session.userInteracted);
    std::vector<uint8_t> after = session.Bytes();
    std::copy(after.begin() + kBasicDataAt, after.begin() + kBasicDataAt + 8, before.begin() + kBasicDataAt);
    EXPECT_EQ(after, before);
  }
}

TEST(OptionsDialog, OkWithoutChangesStoresOnlyWhatThePagesDerive) {
  OptionsSession session(4096, 1080, 24, [](OutputOptions& o) {
    o.categoryIndex = 3;
    o.stereoscopic = 0;  // derived from the size again when the Video page is made
  });
  std::vector<uint8_t> before = session.Bytes();
  EXPECT_EQ(session.Open(
                [](DialogUser& user) {
                  ShowPage(user, 2200);
                  user.Click(IDOK, user.Dialog(1));
                },
                true),
            0);
  EXPECT_TRUE(session.userInteracted);
  const OutputOptions after = session.Record();
  EXPECT_STREQ(after.categoryText, "teaser");
  EXPECT_EQ(after.stereoscopic, 1);
  std::vector<uint8_t> bytes = session.Bytes();
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool derived = (i >= 1320 && i < 1352) || i == 1387 || (i >= kBasicDataAt && i < kBasicDataAt + 8);
    if (!derived) {
      EXPECT_EQ(bytes[i], before[i]) << "byte " << i;
    }
  }
}

TEST(OptionsDialog, PagesAreMadeAnewFromTheScratchCopy) {
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { o.useCompName = 0; });
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND main = user.Dialog(1);
    EXPECT_EQ(user.Text(kPageGroupBox, main), "General");
    // Centred on the 1920 x 1080 desktop.
    RECT dialog, page;
    ASSERT_TRUE(GetWindowRect(main, &dialog));
    EXPECT_EQ(dialog.left, 960 - (dialog.right - dialog.left) / 2);
    EXPECT_EQ(dialog.top, 540 - (dialog.bottom - dialog.top) / 2);
    // Pages sit 20 and 100 pixels into the client area: 20 narrower and 50
    // lower than the group box's client area.
    HWND general = CurrentPage(user);
    ASSERT_TRUE(GetWindowRect(general, &page));
    RECT box, client;
    GetClientRect(GetDlgItem(main, kPageGroupBox), &box);
    GetClientRect(main, &client);
    const LONG clientLeft = dialog.left + (dialog.right - dialog.left - client.right) / 2;
    EXPECT_EQ(page.left - clientLeft, 20);
    EXPECT_EQ(page.right - page.left, box.right - 20);
    EXPECT_EQ(page.bottom - page.top, box.bottom + 50 - 100);

    user.Type(kTitleEdit, "KEPT", general);
    HWND video = ShowPage(user, 2200);
    EXPECT_FALSE(IsWindow(general));
    EXPECT_TRUE(IsWindowVisible(video));
    EXPECT_EQ(user.Text(kPageGroupBox, main), "Video");
    HWND again = ShowPage(user, 2200);
    EXPECT_NE(again, video);
    EXPECT_FALSE(IsWindow(video));
    HWND about = ShowPage(user, 2500);
    EXPECT_EQ(user.Text(kVersionText, about), "Version 1.5.6");
    EXPECT_EQ(user.Text(kPageGroupBox, main), "About");
    HWND back = ShowPage(user, 2100);
    EXPECT_EQ(user.Text(kTitleEdit, back), "KEPT");
    EXPECT_EQ(user.Text(kPageGroupBox, main), "General");
    user.Click(IDOK, main);
  }),
            0);
  EXPECT_STREQ(session.Record().title, "KEPT");
}

TEST(OptionsDialog, NoRecordOrNoUtilitySuite) {
  A_Boolean flag = 7;
  EXPECT_EQ(OpenOptionsDialog(nullptr, nullptr, &flag), 0);
  EXPECT_EQ(flag, 7);

  OptionsSession session(2048, 1080, 24);
  std::vector<uint8_t> before = session.Bytes();
  session.host->Withhold("AEGP Utility Suite", 7);
  DialogUser user;  // nothing opens
  EXPECT_EQ(session.host->UserAudioOptionsDialog(), 516);
  EXPECT_EQ(user.OpenDialogs(), 0u);
  std::vector<uint8_t> after = session.Bytes();
  std::copy(after.begin() + kBasicDataAt, after.begin() + kBasicDataAt + 8, before.begin() + kBasicDataAt);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(session.host->state().problems.empty());
}

}  // namespace
