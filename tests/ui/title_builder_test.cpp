// The title builder driven by a user: the title composed from the film
// title, the chosen codes and the date; what OK, Cancel and Reset store.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "tests/ui/dialog_user.h"
#include "tests/ui/options_session.h"
#include "ui/code_lists.h"
#include "ui/dialog_ids.h"
#include "ui/title_builder.h"

namespace {

using ui_test::CurrentPage;
using ui_test::DialogUser;
using ui_test::OptionsSession;

// The row of the list whose code is `code`.
int Row(int entry, const std::string& code) {
  const CodeList& list = GetCodeList(entry);
  for (int row = 1; row < list.rowCount; ++row) {
    char text[kCodeRowSize];
    std::strcpy(text, list.rows[row]);
    if (code == GetListCode(text)) return row;
  }
  ADD_FAILURE() << "no code " << code;
  return 0;
}

bool ChooseCode(DialogUser& user, int entry, const std::string& code) {
  return user.Choose(GetCodeList(entry).controlId, Row(entry, code));
}

std::unique_ptr<OutputOptions> Record() {
  auto options = std::make_unique<OutputOptions>();
  std::memset(options.get(), 0, sizeof *options);
  std::strcpy(options->title, "OLD_TITLE");
  return options;
}

void RunBuilder(OutputOptions* options, const std::function<void(DialogUser&)>& act) {
  DialogUser user;
  user.Run([&] { RunTitleHelper(g_hInstance, nullptr, options); }, act);
}

std::string Composed(DialogUser& user) { return user.Text(kComposedTitleText); }

TEST(TitleBuilder, ComposesTheTitleFromTheChosenCodes) {
  auto options = Record();
  RunBuilder(options.get(), [](DialogUser& user) {
    ASSERT_TRUE(user.Type(kFilmTitleEdit, "my_title"));
    EXPECT_EQ(user.Text(kFilmTitleEdit), "MY_TITLE");  // typed letters become capitals
    ASSERT_TRUE(user.PickDate(kDatePicker, 2024, 1, 5));
    EXPECT_EQ(user.Text(kDatePicker), "2024-01-05");
    EXPECT_EQ(Composed(user), "MY_TITLE_20240105");
    ChooseCode(user, kAudioLang, "EN");
    EXPECT_EQ(Composed(user), "MY_TITLE_EN_20240105");
    ChooseCode(user, kSubLang, "XX");
    EXPECT_EQ(Composed(user), "MY_TITLE_EN-XX_20240105");
    user.Choose(2804, 0);
    EXPECT_EQ(Composed(user), "MY_TITLE_-XX_20240105");
    user.Choose(2805, 0);
    ChooseCode(user, kTerritory, "US");
    EXPECT_EQ(Composed(user), "MY_TITLE_US_20240105");
    ChooseCode(user, kRating, "PG");
    EXPECT_EQ(Composed(user), "MY_TITLE_US-PG_20240105");
    user.Choose(2806, 0);
    EXPECT_EQ(Composed(user), "MY_TITLE_-PG_20240105");
    user.Choose(2807, 0);
    ChooseCode(user, kContent, "FTR");
    ChooseCode(user, kAspect, "C");
    EXPECT_EQ(Composed(user), "MY_TITLE_FTR_C_20240105");
    EXPECT_TRUE(user.Click(kBuilderOk));
  });
  EXPECT_STREQ(options->title, "MY_TITLE_FTR_C_20240105");
  EXPECT_STREQ(options->filmTitle, "MY_TITLE");
  EXPECT_EQ(options->titleSelections[kContent], 1u);
  EXPECT_EQ(options->titleSelections[kAspect], 3u);
  for (int entry = 2; entry < 20; ++entry) EXPECT_EQ(options->titleSelections[entry], 0u) << entry;
}

TEST(TitleBuilder, EveryPieceInItsPlace) {
  auto options = Record();
  RunBuilder(options.get(), [](DialogUser& user) {
    user.Type(kFilmTitleEdit, "MY_TITLE");
    user.PickDate(kDatePicker, 2024, 1, 5);
    const char* codes[kCodeListCount] = {"FTR", "F", "EN", "XX", "US", "PG", "51", "2K", "IND", "SIM", "2D", "OV"};
    for (int entry = 0; entry < kCodeListCount; ++entry) ASSERT_TRUE(ChooseCode(user, entry, codes[entry]));
    user.Click(kBuilderOk);
  });
  EXPECT_STREQ(options->title, "MY_TITLE_FTR_F_EN-XX_US-PG_51_2K_IND_20240105_SIM_2D_OV");
  EXPECT_EQ(options->titleSelections[kFacility], unsigned(Row(kFacility, "SIM")));

  // Reopened: the stored film title and selections, today's date again,
  // and the title composed from them.
  RunBuilder(options.get(), [](DialogUser& user) {
    EXPECT_EQ(user.Text(kFilmTitleEdit), "MY_TITLE");
    EXPECT_EQ(user.State(2813).selection, Row(kFacility, "SIM"));
    EXPECT_EQ(user.State(2814).selection, 1);
    EXPECT_EQ(user.State(2815).selection, 1);
    char today[16], compact[16];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::strftime(today, sizeof today, "%Y-%m-%d", localtime_r(&now, &local));
    std::strftime(compact, sizeof compact, "%Y%m%d", &local);
    EXPECT_EQ(user.Text(kDatePicker), today);
    EXPECT_EQ(Composed(user), std::string("MY_TITLE_FTR_F_EN-XX_US-PG_51_2K_IND_") + compact + "_SIM_2D_OV");
    user.Click(kBuilderCancel);
  });
}

// The film title edit of the title builder and the DCP title, annotation
// and issuer edits of the General page take what the record's fields hold
// (63 and 259 bytes): a character that would cross the bound is refused
// whole, and the keys after it that fit are taken. What the edit shows is
// what OK stores.
TEST(TitleBuilder, TitleAndTextEditsTakeNoMoreThanTheRecordHolds) {
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { o.useCompName = 0; });
  for (const int edit : {kFilmTitleEdit, kTitleEdit, kAnnotationEdit, kIssuerEdit}) {
    const bool inBuilder = edit == kFilmTitleEdit;
    const size_t bound = inBuilder ? 63 : 259;
    const std::string a(bound - 3, 'A');
    const struct {
      std::string typed, kept;
    } cases[] = {
        {std::string(bound + 12, 'A'), std::string(bound, 'A')},
        {a + "AAÉÉ", a + "AA"},
        {a + "€€", a + "€"},
        {a + "A😀B", a + "AB"},  // a four-byte character, then a letter
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(std::to_string(edit) + ": ..." + c.typed.substr(a.size()));
      session.Open([&](DialogUser& user) {
        HWND page = CurrentPage(user);
        ASSERT_TRUE(!inBuilder || user.Click(kTitleBuilderButton, page));
        HWND window = inBuilder ? nullptr : page;
        ASSERT_TRUE(user.Type(edit, c.typed, window));
        EXPECT_EQ(user.Text(edit, window), c.kept);
        if (inBuilder) user.Click(kBuilderOk);
        user.Click(IDOK, user.Dialog(1));
      });
      const OutputOptions o = session.Record();
      const char* stored = inBuilder                 ? o.filmTitle
                           : edit == kTitleEdit      ? o.title
                           : edit == kAnnotationEdit ? o.annotation
                                                     : o.issuer;
      EXPECT_EQ(std::string(stored), c.kept);
      if (inBuilder) {  // the builder's title begins with the film title
        EXPECT_EQ(std::string(o.title).substr(0, c.kept.size() + 1), c.kept + "_");
      }
    }
  }
}

TEST(TitleBuilder, SecondOfTwoIdenticalRowsIsStoredAndReselected) {
  auto options = Record();
  RunBuilder(options.get(), [](DialogUser& user) {
    user.Choose(2807, 15);
    user.Click(kBuilderOk);
  });
  EXPECT_EQ(options->titleSelections[kRating], 15u);
  RunBuilder(options.get(), [](DialogUser& user) {
    EXPECT_EQ(user.State(2807).selection, 15);
    user.Click(kBuilderCancel);
  });
}

TEST(TitleBuilder, CancelKeepsTheTitleButNotTheChoices) {
  auto options = Record();
  RunBuilder(options.get(), [](DialogUser& user) {
    user.Type(kFilmTitleEdit, "NEW");
    ChooseCode(user, kStereo, "i3D-ngb");
    EXPECT_NE(Composed(user).find("_i3D-ngb"), std::string::npos);
    // Escape and the close box do not end the builder.
    user.PressEscape();
    user.ClickCloseBox();
    EXPECT_EQ(user.OpenDialogs(), 1u);
    user.Click(kBuilderCancel);
  });
  EXPECT_STREQ(options->title, "OLD_TITLE");
  EXPECT_STREQ(options->filmTitle, "NEW");
  EXPECT_EQ(options->titleSelections[kStereo], 3u);
}

TEST(TitleBuilder, ResetClearsTheControlsButNotTheStoredChoices) {
  auto options = Record();
  std::strcpy(options->filmTitle, "FILM");
  options->titleSelections[kContent] = 2;
  options->titleSelections[kPackage] = 1;
  RunBuilder(options.get(), [](DialogUser& user) {
    user.PickDate(kDatePicker, 2024, 1, 5);
    user.Click(kBuilderReset);
    EXPECT_EQ(user.Text(kFilmTitleEdit), "");
    EXPECT_EQ(Composed(user), "_20240105");
    user.Click(kBuilderOk);
  });
  EXPECT_STREQ(options->title, "_20240105");
  EXPECT_STREQ(options->filmTitle, "");
  EXPECT_EQ(options->titleSelections[kContent], 2u);
  EXPECT_EQ(options->titleSelections[kPackage], 1u);

  // Reset, then a change of the content type stores all twelve lists as
  // they now stand.
  RunBuilder(options.get(), [](DialogUser& user) {
    user.Click(kBuilderReset);
    user.Choose(2802, 4);
    user.Click(kBuilderCancel);
  });
  EXPECT_EQ(options->titleSelections[kContent], 4u);
  for (int entry = 1; entry < kCodeListCount; ++entry) EXPECT_EQ(options->titleSelections[entry], 0u) << entry;
}

TEST(TitleBuilder, StoredRowBeyondTheListCountsAsNothingChosen) {
  auto options = Record();
  options->titleSelections[kContent] = 99;
  options->titleSelections[kAudioType] = 0xFFFFFFFFu;
  std::strcpy(options->filmTitle, "FILM");
  RunBuilder(options.get(), [](DialogUser& user) {
    EXPECT_EQ(user.State(2802).selection, -1);
    user.PickDate(kDatePicker, 2030, 12, 31);
    EXPECT_EQ(Composed(user), "FILM_20301231");
    user.Click(kBuilderOk);
  });
  EXPECT_STREQ(options->title, "FILM_20301231");
}

}  // namespace
