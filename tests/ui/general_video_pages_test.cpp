// The General and Video pages as a user drives them, and the summary of
// the settings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "plugin/output_options.h"
#include "tests/ui/options_session.h"
#include "ui/dialog_ids.h"
#include "ui/settings_summary.h"

namespace {

using ui_test::CurrentPage;
using ui_test::DialogUser;
using ui_test::OptionsSession;
using ui_test::ShowPage;

std::string Line(const std::string& text, const std::string& start) {
  const size_t at = text.find(start);
  return at == std::string::npos ? "" : text.substr(at, text.find('\r', at) - at);
}

TEST(GeneralPage, ANewRecordAndTheUsersChanges) {
  OptionsSession session(2048, 1080, 24);
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = CurrentPage(user);
    EXPECT_EQ(user.State(kCategoryList, page).items.size(), 10u);
    EXPECT_EQ(user.State(kCategoryList, page).selection, 0);
    EXPECT_EQ(user.State(kPackingList, page).items, (std::vector<std::string>{"InterOp", "SMPTE"}));
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Title:"), "Title: (Composition Name)");
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Category:"), "Category: feature");
    EXPECT_FALSE(user.State(kTitleEdit, page).enabled);
    EXPECT_FALSE(user.Type(kTitleEdit, "X", page));  // out of the user's reach
    EXPECT_FALSE(user.Click(kTitleBuilderButton, page));

    EXPECT_TRUE(user.Click(kUseCompNameCheck, page));
    EXPECT_TRUE(user.State(kTitleEdit, page).enabled);
    EXPECT_TRUE(user.State(kTitleBuilderButton, page).enabled);
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Title:"), "Title: YOUR_DCP_TITLE_HERE");
    EXPECT_TRUE(user.Type(kTitleEdit, "MY_DCP", page));
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Title:"), "Title: MY_DCP");
    user.Type(kAnnotationEdit, "An annotation", page);
    user.Type(kIssuerEdit, "Someone", page);
    user.Choose(kCategoryList, 5, page);
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Category:"), "Category: advertisement");
    user.Choose(kPackingList, 1, page);
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Packing:"), "Packing: SMPTE");
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(o.useCompName, 0);
  EXPECT_STREQ(o.title, "MY_DCP");
  EXPECT_STREQ(o.annotation, "An annotation");
  EXPECT_STREQ(o.issuer, "Someone");
  EXPECT_EQ(o.categoryIndex, 5u);
  EXPECT_STREQ(o.categoryText, "advertisement");
  EXPECT_EQ(o.packing, 1u);
}

TEST(GeneralPage, TitleBuilderWritesTheTitleEdit) {
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { o.useCompName = 0; });
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = CurrentPage(user);
    ASSERT_TRUE(user.Click(kTitleBuilderButton, page));
    ASSERT_EQ(user.OpenDialogs(), 2u);
    EXPECT_FALSE(user.Click(2300, user.Dialog(1)));  // the options dialog waits for the builder
    user.Type(kFilmTitleEdit, "film");
    user.PickDate(kDatePicker, 2024, 1, 5);
    user.Choose(2802, 1);
    user.Click(kBuilderOk);
    EXPECT_EQ(user.OpenDialogs(), 1u);
    EXPECT_EQ(user.Text(kTitleEdit, page), "FILM_FTR_20240105");
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Title:"), "Title: FILM_FTR_20240105");
    // A cancelled builder leaves the title.
    user.Click(kTitleBuilderButton, page);
    user.Type(kFilmTitleEdit, "OTHER");
    user.Click(kBuilderCancel);
    EXPECT_EQ(user.Text(kTitleEdit, page), "FILM_FTR_20240105");
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_STREQ(o.title, "FILM_FTR_20240105");
  EXPECT_STREQ(o.filmTitle, "OTHER");
  EXPECT_EQ(o.titleSelections[0], 1u);
}

TEST(VideoPage, TwoDimensionalBitRateAndColourConversion) {
  OptionsSession session(2048, 1080, 24);
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = ShowPage(user, 2200);
    WindowState bar = user.State(kBitRateTrackBar, page);
    EXPECT_EQ(bar.rangeMin, 1);
    EXPECT_EQ(bar.rangeMax, 250);
    EXPECT_EQ(bar.position, 250);
    EXPECT_EQ(user.Text(kBitRateText, page), "250");
    EXPECT_EQ(user.State(kXyzCheck, page).check, 1);
    // The left end is 1 Mbit/s: no rate leaves the pictures without data.
    user.Drag(kBitRateTrackBar, 0, page);
    EXPECT_EQ(user.Text(kBitRateText, page), "1");
    user.Drag(kBitRateTrackBar, 180, page);
    // A click beside the thumb moves it, but neither the text nor the rate.
    user.ClickChannel(kBitRateTrackBar, false, page);
    EXPECT_EQ(user.State(kBitRateTrackBar, page).position, 131);
    EXPECT_EQ(user.Text(kBitRateText, page), "180");
    user.Click(kXyzCheck, page);
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(o.bitRate, 180u);
  EXPECT_EQ(o.stereoBitRate, 125u);
  EXPECT_EQ(o.xyzConversion, 0u);
}

TEST(VideoPage, StereoscopicSizeUsesTheStereoscopicRate) {
  OptionsSession session(4096, 1080, 24);
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = ShowPage(user, 2200);
    EXPECT_EQ(user.State(kBitRateTrackBar, page).rangeMin, 1);
    EXPECT_EQ(user.State(kBitRateTrackBar, page).rangeMax, 125);
    EXPECT_EQ(user.State(kBitRateTrackBar, page).position, 125);
    user.Drag(kBitRateTrackBar, 0, page);
    EXPECT_EQ(user.Text(kBitRateText, page), "1");
    user.Drag(kBitRateTrackBar, 80, page);
    page = ShowPage(user, 2100);
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Compression:"), "Compression: JPEG 2000 @ 80 Mbit");
    EXPECT_EQ(Line(user.Text(kSummaryEdit, page), "Stereoscopic:"), "Stereoscopic: Yes");
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  EXPECT_EQ(session.Record().stereoBitRate, 80u);
  EXPECT_EQ(session.Record().bitRate, 250u);
}

OutputOptions SummaryRecord() {
  OutputOptions o;
  std::memset(&o, 0, sizeof o);
  std::strcpy(o.title, "T");
  std::strcpy(o.categoryText, "feature");
  o.frameRate = 24;
  o.width = 2048;
  o.height = 1080;
  o.bitRate = 250;
  o.stereoBitRate = 125;
  o.audioSource = 1;
  return o;
}

TEST(SettingsSummary, Blocks) {
  OutputOptions o = SummaryRecord();
  EXPECT_EQ(BuildSettingsSummary(o),
            "\r\nTitle: T\r\nCategory: feature\r\nPacking: InterOp\r\nFramerate: 24 fps\r\n\r\n"
            "VIDEO\r\nCompression: JPEG 2000 @ 250 Mbit\r\nStereoscopic: No\r\n"
            "Resolution: 2K Full Container (2048x1080)\r\n\r\n"
            "AUDIO\r\nSource: Timeline\r\n\r\n");
  o.audioSource = 0;
  o.audioLayout = 1;
  o.inPoint = static_cast<A_u_long>(-3);
  std::strcpy(o.channelFiles[0], "/a/L.wav");
  o.subtitleOn = 1;
  o.width = 3996;
  const std::string s = BuildSettingsSummary(o);
  EXPECT_NE(s.find("Resolution: 2K Flat (1998x1080), aspect ratio=1.85:1\r\n"), std::string::npos);
  EXPECT_NE(s.find("Stereoscopic: Yes\r\n"), std::string::npos);
  EXPECT_NE(s.find("AUDIO\r\nSource: External Files - 5.1\r\nInpoint: -3\r\nL: \t/a/L.wav\r\nR: \t--NONE--\r\n"
                   "C: \t--NONE--\r\nLFe: \t--NONE--\r\nLs: \t--NONE--\r\nRs: \t--NONE--\r\n\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 29), "SUBTITLE\r\nSource: \t--NONE--\r\n");
  o.width = 1440;
  EXPECT_NE(BuildSettingsSummary(o).find("Stereoscopic: No\r\nResolution: unknown format\r\n"), std::string::npos);
}

TEST(SettingsSummary, LongPathsAndUnterminatedFieldsStayWithinTheirCapacities) {
  OutputOptions o = SummaryRecord();
  o.audioSource = 0;
  o.audioLayout = 2;
  for (auto& path : o.channelFiles) std::memset(path, 'p', sizeof path);  // no terminator
  std::memset(o.title, 't', sizeof o.title);
  o.useCompName = 0;
  const std::string s = BuildSettingsSummary(o);
  EXPECT_LE(s.size(), 2047u);
  EXPECT_NE(s.find("Title: " + std::string(260, 't') + "\r\n"), std::string::npos);
}

}  // namespace
