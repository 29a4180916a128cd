// The Audio and Subtitle pages as a user drives them: the rows each layout
// shows, WAV files browsed and checked (with their siblings found by
// name), the in-point, and subtitle files browsed and checked.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "plugin/output_options.h"
#include "tests/support/test_support.h"
#include "tests/ui/options_session.h"
#include "ui/audio_page.h"
#include "ui/channel_file_search.h"
#include "ui/dialog_ids.h"

namespace {

using lumavox_test::TempDir;
using ui_test::DialogUser;
using ui_test::OptionsSession;
using ui_test::ShowPage;

const std::string kChannels[8] = {"L", "R", "C", "LFE", "Ls", "Rs", "LC", "RC"};

std::string ReferenceWav(int channel) {
  return lumavox_test::SharedDir() + "/reference/wav/ch" + std::to_string(channel + 1) + "_" + kChannels[channel] +
         ".wav";
}

// Copies reference channel c to dir/name for each (c, name).
void PlaceWavs(const TempDir& dir, const std::vector<std::pair<int, std::string>>& files) {
  for (const auto& [channel, name] : files) std::filesystem::copy_file(ReferenceWav(channel), dir / name);
}

std::vector<bool> ShownRows(DialogUser& user, HWND page) {
  std::vector<bool> shown;
  for (int c = 0; c < 8; ++c) {
    const bool edit = user.State(kFirstChannelEdit + 2 * c, page).visible;
    EXPECT_EQ(edit, user.State(kFirstBrowseButton + c, page).visible) << c;
    EXPECT_EQ(edit, user.State(kFirstChannelEdit + 2 * c + 1, page).visible) << c;
    shown.push_back(edit);
  }
  return shown;
}

std::vector<std::string> Words(const char* text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

OutputOptions External(OutputOptions& o, A_u_long layout) {
  o.audioSource = 0;
  o.audioLayout = layout;
  return o;
}

TEST(AudioPage, RowsFollowTheSourceAndTheLayout) {
  OptionsSession session(2048, 1080, 24);
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = ShowPage(user, 2300);
    EXPECT_EQ(ShownRows(user, page), std::vector<bool>(8, false));  // timeline: only the source list
    EXPECT_FALSE(user.State(kAudioLayoutList, page).visible);
    EXPECT_FALSE(user.State(kInPointEdit, page).visible);
    EXPECT_TRUE(user.State(kAudioSourceList, page).visible);
    user.Choose(kAudioSourceList, 0, page);
    EXPECT_EQ(ShownRows(user, page), (std::vector<bool>{true, true, false, false, false, false, false, false}));
    user.Choose(kAudioLayoutList, 1, page);
    EXPECT_EQ(ShownRows(user, page), (std::vector<bool>{true, true, true, true, true, true, false, false}));
    user.Choose(kAudioLayoutList, 2, page);
    EXPECT_EQ(ShownRows(user, page), std::vector<bool>(8, true));
    EXPECT_TRUE(user.State(kMultiSelectCheck, page).visible);
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  EXPECT_EQ(session.Record().audioSource, 0u);
  EXPECT_EQ(session.Record().audioLayout, 2u);
}

TEST(AudioPage, BrowsedFileFindsItsStereoSibling) {
  TempDir dir;
  PlaceWavs(dir, {{0, "take_L.wav"}, {1, "take_R.wav"}});
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) {
    External(o, 0);
    o.inPoint = 9;
    std::strcpy(o.channelFiles[4], "/old/surround.wav");  // emptied: the stereo set is complete
  });
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2300);
    EXPECT_EQ(user.Text(kInPointEdit, page), "9");
    user.ChooseFileNext(dir / "take_R.wav");
    ASSERT_TRUE(user.Click(kFirstBrowseButton + 1, page));
    EXPECT_EQ(user.fileFilters, std::vector<std::string>{"Wav|*.wav|All|*.*|"});
    EXPECT_EQ(user.Text(kAudioWarningText, page), "");
    EXPECT_EQ(user.Text(kInPointEdit, page), "0");
    EXPECT_EQ(user.Text(kFirstChannelEdit, page), dir / "take_L.wav");
    EXPECT_EQ(user.Text(kFirstChannelEdit + 2, page), dir / "take_R.wav");
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(std::string(o.channelFiles[0]), dir / "take_L.wav");
  EXPECT_EQ(std::string(o.channelFiles[1]), dir / "take_R.wav");
  EXPECT_STREQ(o.channelFiles[4], "");
  EXPECT_EQ(o.inPoint, 0u);
  EXPECT_EQ(o.audioFrames, 6u);  // 0.25 s at 24 fps
}

TEST(AudioPage, FiveOneAndSevenOneSetsFillTheirRows) {
  TempDir dir;
  PlaceWavs(dir, {{0, "mix.Left.wav"},
                  {1, "mix.Right.wav"},
                  {2, "mix.Center.wav"},
                  {3, "mix.LFE.wav"},
                  {4, "mix.LS.wav"},
                  {5, "mix.RS.wav"}});
  PlaceWavs(dir, {{0, "m_L.wav"},
                  {1, "m_R.wav"},
                  {2, "m_C.wav"},
                  {3, "m_LFE.wav"},
                  {4, "m_LS.wav"},
                  {5, "m_RS.wav"},
                  {6, "m_LC.wav"},
                  {7, "m_RC.wav"}});
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { External(o, 1); });
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2300);
    user.ChooseFileNext(dir / "mix.LFE.wav");
    user.Click(kFirstBrowseButton + 3, page);
    for (int c = 0; c < 6; ++c) {
      const char* names[] = {"Left", "Right", "Center", "LFE", "LS", "RS"};
      EXPECT_EQ(user.Text(kFirstChannelEdit + 2 * c, page), dir / ("mix." + std::string(names[c]) + ".wav"));
    }
    // 7.1: the centre rows are found too.
    user.Choose(kAudioLayoutList, 2, page);
    user.ChooseFileNext(dir / "m_C.wav");
    user.Click(kFirstBrowseButton + 2, page);
    const char* names[] = {"L", "R", "C", "LFE", "LS", "RS", "LC", "RC"};
    for (int c = 0; c < 8; ++c) {
      EXPECT_EQ(user.Text(kFirstChannelEdit + 2 * c, page), dir / ("m_" + std::string(names[c]) + ".wav")) << c;
    }
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  EXPECT_EQ(std::string(session.Record().channelFiles[7]), dir / "m_RC.wav");
}

// Each sibling goes to the row of the channel its suffix names (the first in
// probing order where two name one channel); the chosen file keeps its row;
// a row whose channel has none keeps its path unless the set is whole.
TEST(AudioPage, SiblingsGoToTheRowsTheirSuffixesName) {
  const struct {
    A_u_long layout;
    const char* files;  // the folder's WAV files, the chosen one first
    int row;            // the row it is chosen for
    const char* rows;   // then: "-" empty, "old" as before
  } cases[] = {
      {0, "take_R take_L take_Left", 1, "take_Left take_R - - - - - -"},             // two name the left channel
      {2, "m_LFE m_L m_R m_C m_LC m_RC", 3, "m_L m_R m_C m_LFE old old m_LC m_RC"},  // six of eight
      {0, "s_L s_Left s_R", 0, "s_L s_R - - - - - -"},  // the chosen one before the table's first
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files);
    TempDir dir;
    const std::vector<std::string> files = Words(c.files), rows = Words(c.rows);
    for (const std::string& name : files) PlaceWavs(dir, {{0, name + ".wav"}});
    OptionsSession session(2048, 1080, 24, [&](OutputOptions& o) {
      External(o, c.layout);
      for (auto& row : o.channelFiles) std::strcpy(row, "old");
    });
    session.Open([&](DialogUser& user) {
      HWND page = ShowPage(user, 2300);
      user.ChooseFileNext(dir / (files[0] + ".wav"));
      user.Click(kFirstBrowseButton + c.row, page);
      user.Click(IDOK, user.Dialog(1));
    });
    const OutputOptions o = session.Record();
    for (int r = 0; r < 8; ++r) {
      const std::string& want = rows[r];
      EXPECT_EQ(o.channelFiles[r], want == "-" ? "" : (want == "old" ? want : dir / (want + ".wav"))) << "row " << r;
    }
  }
}

TEST(AudioPage, RefusedFilesShowTheCheckAndKeepTheRow) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  auto make = [&](const std::string& name, const std::vector<std::string>& format) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=d=0.2"};
    argv.insert(argv.end(), format.begin(), format.end());
    argv.push_back(dir / name);
    ASSERT_EQ(lumavox_test::RunCommand(argv).status, 0) << name;
  };
  make("stereo.wav", {"-ac", "2", "-ar", "48000", "-c:a", "pcm_s24le"});
  // A plain floating-point format tag (3) over a mono 24-bit header.
  std::vector<uint8_t> floating = lumavox_test::ReadBytes(ReferenceWav(0));
  floating.at(20) = 3;
  floating.at(21) = 0;
  lumavox_test::WriteBytes(dir / "float.wav", floating);
  make("cd.wav", {"-ac", "1", "-ar", "44100", "-c:a", "pcm_s24le"});
  make("short.wav", {"-ac", "1", "-ar", "48000", "-c:a", "pcm_s16le"});
  lumavox_test::WriteText(dir / "text.wav", "not a wave file");
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) {
    External(o, 0);
    o.inPoint = 5;
    o.audioFrames = 77;
    o.multiSelectAudio = 0;
    std::strcpy(o.channelFiles[1], "/kept/R.wav");
  });
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2300);
    const std::pair<const char*, const char*> cases[] = {
        {"stereo.wav", "Unsupported WAVE file - Channels must be 1"},
        {"float.wav", "Unsupported WAVE file - Must be an Signed Integer PCM"},
        {"cd.wav", "Unsupported WAVE file - Sample rate has to be 48/96 khz"},
        {"short.wav", "Unsupported WAVE file - Bit depth must be 24"},
    };
    for (const auto& [name, message] : cases) {
      user.Type(kInPointEdit, "5", page);
      user.ChooseFileNext(dir / name);
      user.Click(kFirstBrowseButton + 1, page);
      EXPECT_EQ(user.Text(kAudioWarningText, page), message);
      EXPECT_EQ(user.Text(kInPointEdit, page), "");
      EXPECT_EQ(user.Text(kFirstChannelEdit + 2, page), "/kept/R.wav");
    }
    user.ChooseFileNext(dir / "text.wav");
    user.Click(kFirstBrowseButton + 1, page);
    EXPECT_EQ(user.Text(kAudioWarningText, page).rfind("Unsupported WAVE file", 0), 0u);
    // A file that does not exist cannot be chosen; cancelling changes nothing.
    user.Type(kInPointEdit, "5", page);
    user.ChooseFileNext(dir / "missing.wav");
    user.Click(kFirstBrowseButton + 1, page);
    user.ChooseFileNext("");
    user.Click(kFirstBrowseButton + 1, page);
    EXPECT_EQ(user.Text(kInPointEdit, page), "5");
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(o.inPoint, 5u);
  EXPECT_EQ(o.audioFrames, 77u);
  EXPECT_STREQ(o.channelFiles[1], "/kept/R.wav");
}

TEST(AudioPage, TypedInPointAndPaths) {
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { External(o, 0); });
  EXPECT_EQ(session.Open([](DialogUser& user) {
    HWND page = ShowPage(user, 2300);
    user.Type(kFirstChannelEdit + 2, "/typed/R.wav", page);
    user.Type(kInPointEdit, "-3", page);
    user.Click(kMultiSelectCheck, page);
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_STREQ(o.channelFiles[1], "/typed/R.wav");
  EXPECT_EQ(static_cast<int32_t>(o.inPoint), -3);
  EXPECT_EQ(o.multiSelectAudio, 0);
  EXPECT_EQ(o.audioFrames, 0u);

  EXPECT_EQ(ParseInPoint("12.9"), 12);
  EXPECT_EQ(ParseInPoint("  -7.9x"), -7);
  EXPECT_EQ(ParseInPoint("abc"), 0);
  EXPECT_EQ(ParseInPoint(".5e1"), 5);
  EXPECT_EQ(ParseInPoint("0x20"), 0);
  EXPECT_EQ(ParseInPoint("inf"), 0);
  EXPECT_EQ(ParseInPoint("1e12"), INT32_MAX);
  EXPECT_EQ(ParseInPoint("-99999999999"), INT32_MIN);
}

TEST(ChannelFileSearch, NamesAndLimits) {
  TempDir dir;
  std::vector<std::string> names;
  PlaceWavs(dir, {{0, "take_L.wav"}, {0, "take_Left.wav"}, {1, "music.wav"}});
  // Both left files are found, in the table's order, each naming the left channel.
  std::vector<int> channels;
  EXPECT_EQ(FindChannelFiles(dir / "take_L.wav", &names, &channels), 2);
  EXPECT_EQ(names, (std::vector<std::string>{dir / "take_Left.wav", dir / "take_L.wav"}));
  EXPECT_EQ(channels, (std::vector<int>{0, 0}));
  EXPECT_EQ(FindChannelFiles(dir / "music.wav", &names), 0);
  EXPECT_EQ(FindChannelFiles(dir / "take_L", &names), 0);
  // A separator in a folder's name is no part of the file's name.
  std::filesystem::create_directory(dir / "a_b");
  PlaceWavs(dir, {{0, "a_b/music.wav"}, {0, "a_Left.wav"}});
  EXPECT_EQ(FindChannelFiles(dir / "a_b/music.wav", &names), 0);
  // All sixteen suffixes present: more than fifteen names finds none.
  TempDir full;
  for (const char* s :
       {"Left", "L", "VL", "Right", "R", "VR", "Center", "C", "LFE", "SW", "LS", "SL", "RS", "SR", "LC", "RC"}) {
    PlaceWavs(full, {{0, std::string("x_") + s + ".wav"}});
  }
  EXPECT_EQ(FindChannelFiles(full / "x_L.wav", &names), 0);
  EXPECT_TRUE(names.empty());
  // A prefix so long that no sibling name would fit a channel path.
  EXPECT_EQ(FindChannelFiles(std::string(505, 'a') + "_L.wav", &names), 0);
}

TEST(SubtitlePage, BrowseChecksTheFile) {
  const std::string interop = lumavox_test::SharedDir() + "/reference/subtitles/interop/subs_interop.xml";
  const std::string smpte = lumavox_test::SharedDir() + "/reference/subtitles/smpte/subs.xml";
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) { std::strcpy(o.subtitlePath, "/old.xml"); });
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2400);
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), "/old.xml");
    EXPECT_FALSE(user.State(kSubtitlePathEdit, page).enabled);
    EXPECT_FALSE(user.Click(kSubtitleBrowseButton, page));
    user.Click(kSubtitleCheck, page);
    EXPECT_TRUE(user.State(kSubtitleBrowseButton, page).enabled);
    user.ChooseFileNext(smpte);
    user.Click(kSubtitleBrowseButton, page);
    EXPECT_EQ(user.fileFilters, std::vector<std::string>{"All|*.*|XML|*.xml|"});
    EXPECT_EQ(user.Text(kSubtitleMessageText, page),
              "You are trying to load a SMPTE subtitle file in interOp packaging mode.");
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), "");
    user.ChooseFileNext(interop);
    user.Click(kSubtitleBrowseButton, page);
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), interop);
    EXPECT_EQ(user.Text(kSubtitleMessageText, page), "");
    page = ShowPage(user, 2100);
    EXPECT_NE(user.Text(kSummaryEdit, page).find("SUBTITLE\r\nSource: \t" + interop + "\r\n"), std::string::npos);
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(o.subtitleOn, 1);
  EXPECT_EQ(std::string(o.subtitlePath), interop);
  EXPECT_EQ(o.subtitleSmpte, 0);
  EXPECT_EQ(o.subtitleHasFont, 1);
  EXPECT_STREQ(o.fontFile, "DejaVuSerif.ttf");
  EXPECT_EQ(std::strlen(o.subtitleUuid), 36u);
}

// A typed path forgets the document the record kept and is inspected as a
// browsed one is when the user leaves the edit for another control, and
// again at OK: OK with a path the inspection refuses keeps the dialog open
// on the Subtitle page, saying why, with the path as typed.
TEST(SubtitlePage, CancelEmptiesThePathAndTypedPathsAreChecked) {
  const std::string interop = lumavox_test::SharedDir() + "/reference/subtitles/interop/subs_interop.xml";
  OptionsSession session(2048, 1080, 24, [](OutputOptions& o) {
    o.subtitleOn = 1;
    std::strcpy(o.subtitlePath, "/old.xml");
    std::strcpy(o.subtitleUuid, "kept");
  });
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2400);
    user.ChooseFileNext("");
    user.Click(kSubtitleBrowseButton, page);
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), "");
    user.Type(kSubtitlePathEdit, "/typed/subs.xml", page);
    EXPECT_EQ(user.Text(kSubtitleMessageText, page), "");
    user.Click(kSubtitleCheck, page);  // leaves the edit, then turns subtitles off
    EXPECT_EQ(user.Text(kSubtitleMessageText, page), "This subtitlefile cannot be read.");
    user.Click(kSubtitleCheck, page);
    page = ShowPage(user, 2100);
    user.Click(IDOK, user.Dialog(1));
    page = ui_test::CurrentPage(user);
    EXPECT_EQ(user.Text(kSubtitleMessageText, page), "This subtitlefile cannot be read.");
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), "/typed/subs.xml");
    user.Type(kSubtitlePathEdit, interop, page);
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(std::string(o.subtitlePath), interop);
  EXPECT_STREQ(o.subtitleUuid, "77777777-0000-4000-8000-0000000000bb");
  EXPECT_STREQ(o.fontFile, "DejaVuSerif.ttf");
}

// A subtitle file chosen under one packing does not suit the other: a switch
// of the packing on the General page takes it out of the settings, saying
// why, in either direction.
TEST(SubtitlePage, SwitchingThePackingRefusesASubtitleOfTheOtherKind) {
  const std::string interop = lumavox_test::SharedDir() + "/reference/subtitles/interop/subs_interop.xml";
  const std::string smpte = lumavox_test::SharedDir() + "/reference/subtitles/smpte/subs.xml";
  OptionsSession session(2048, 1080, 24);
  EXPECT_EQ(session.Open([&](DialogUser& user) {
    HWND page = ShowPage(user, 2400);
    user.Click(kSubtitleCheck, page);
    user.ChooseFileNext(interop);
    user.Click(kSubtitleBrowseButton, page);
    ASSERT_EQ(user.Text(kSubtitlePathEdit, page), interop);
    page = ShowPage(user, 2100);
    user.Choose(kPackingList, 1, page);
    ASSERT_EQ(user.messageBoxes.size(), 1u);
    EXPECT_EQ(user.messageBoxes[0].rfind("Subtitle file: You are trying to load an InterOp subtitle file in SMPTE "
                                         "packaging mode.",
                                         0),
              0u)
        << user.messageBoxes[0];
    EXPECT_NE(user.Text(kSummaryEdit, page).find("SUBTITLE\r\nSource: \t--NONE--"), std::string::npos);
    page = ShowPage(user, 2400);
    EXPECT_EQ(user.Text(kSubtitlePathEdit, page), "");
    user.ChooseFileNext(smpte);
    user.Click(kSubtitleBrowseButton, page);
    ASSERT_EQ(user.Text(kSubtitlePathEdit, page), smpte);
    page = ShowPage(user, 2100);
    user.Choose(kPackingList, 0, page);
    ASSERT_EQ(user.messageBoxes.size(), 2u);
    EXPECT_EQ(user.messageBoxes[1].rfind("Subtitle file: You are trying to load a SMPTE subtitle file in interOp "
                                         "packaging mode.",
                                         0),
              0u)
        << user.messageBoxes[1];
    user.Click(IDOK, user.Dialog(1));
  }),
            0);
  const OutputOptions o = session.Record();
  EXPECT_EQ(o.packing, 0u);
  EXPECT_STREQ(o.subtitlePath, "");
  EXPECT_STREQ(o.subtitleUuid, "");
}

}  // namespace
