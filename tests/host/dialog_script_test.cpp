// lumavox-render --dialog-script: a scripted user sets what a user can set in
// the options dialogs, and the package the program then renders shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/output_options.h"
#include "tests/support/checkers.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/retimed_subtitles.h"
#include "tests/support/test_support.h"
#include "tests/support/wav_data_chunk.h"

using namespace lumavox_test;

namespace {

const char kPictureEssence[] = "060e2b34.01020101.0d010301.15010801";

std::string Wav(const std::string& name) {
  return std::filesystem::path(SharedDir() + "/reference/wav/" + name + ".wav").lexically_normal().string();
}
std::string Subtitles(const std::string& name) { return SharedDir() + "/reference/subtitles/" + name; }

// The packages below last a second, which the field's checkers ask of a
// reel; under a sanitizer two frames, which take the render through every
// step that the settings choose, and the plain build checks the packages.
const int kFrames = kSanitized ? 2 : 24;

CommandResult RunScript(TempDir& dir, const std::string& script, std::vector<std::string> more) {
  WriteText(dir / "script.txt", script);
  std::vector<std::string> argv{RenderPath(), "--threads", "4", "--dialog-script", dir / "script.txt"};
  argv.insert(argv.end(), more.begin(), more.end());
  return RunCommand(argv);
}

OutputOptions Record(const std::string& path) {
  OutputOptions o{};
  const std::vector<uint8_t> bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), sizeof o);
  std::memcpy(&o, bytes.data(), std::min(bytes.size(), sizeof o));
  return o;
}

std::string Only(const std::string& folder, const std::string& prefix) {
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) {
      EXPECT_EQ(found, "") << "two files starting " << prefix;
      found = entry.path().string();
    }
  }
  return found;
}

// One value of the composition playlist, read with xmllint.
std::string Cpl(const std::string& folder, const std::string& path) {
  std::string xpath = "string(/";
  for (size_t start = 0; start < path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    xpath += "/*[local-name()='" + path.substr(start, end - start) + "']";
    start = end + 1;
  }
  std::string value = RunCommand({"xmllint", "--xpath", xpath + ")", Only(folder, "cpl_")}).out;
  while (!value.empty() && value.back() == '\n') value.pop_back();
  return value;
}

// The channels of the sound track file from the CPL's entry point against
// the WAV files from the in-point: every 24-bit sample of the CPL's duration,
// silence after the files' end.
void ExpectSoundIsTheFilesFromTheInPoint(const std::string& folder, const std::vector<std::string>& wavs, int inPoint,
                                         TempDir& dir) {
  const std::string raw = dir / "sound.raw";
  CommandResult decoded = RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-i", Only(folder, "pcm_"), "-f", "s24le", "-c:a", "pcm_s24le", raw});
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  const std::vector<uint8_t> pcm = ReadBytes(raw);
  EXPECT_EQ(Cpl(folder, "CompositionPlaylist/ReelList/Reel/AssetList/MainSound/EntryPoint"), std::to_string(inPoint));
  const size_t frames = static_cast<size_t>(
      std::stoi(Cpl(folder, "CompositionPlaylist/ReelList/Reel/AssetList/MainSound/Duration")));
  const size_t channels = wavs.size();
  const size_t first = static_cast<size_t>(inPoint) * 2000, count = frames * 2000;
  ASSERT_GE(pcm.size(), (first + count) * channels * 3);
  for (size_t c = 0; c < channels; ++c) {
    const std::vector<uint8_t> wav = DataChunk(wavs[c]);
    ASSERT_GT(wav.size(), first * 3) << wavs[c];
    static const uint8_t kSilence[3] = {0, 0, 0};
    size_t differing = 0;
    for (size_t i = first; i < first + count; ++i) {
      const uint8_t* expected = i * 3 < wav.size() ? &wav[i * 3] : kSilence;
      differing += std::memcmp(&pcm[(i * channels + c) * 3], expected, 3) != 0;
    }
    EXPECT_EQ(differing, 0u) << "channel " << c << " differs from " << wavs[c];
  }
}

// The largest codestream of the picture track file, with the budget that a
// bit rate gives one frame at 24 frames per second.
void ExpectFramesWithinTheRate(const std::string& folder, int mbits, size_t frames) {
  const auto codestreams = EssencePayloads(ReadMxf(Only(folder, "j2c_")), kPictureEssence);
  ASSERT_EQ(codestreams.size(), frames);
  const size_t budget = static_cast<size_t>(mbits) * 1000000 / 8 / 24;
  size_t largest = 0;
  for (const auto& c : codestreams) largest = std::max(largest, c.size());
  EXPECT_LE(largest, budget);
  EXPECT_GT(largest, budget / 2) << "the rate does not show in the frames";
}

// The field's checkers find nothing wrong with the package (the plain
// build's to check: see kFrames).
void ExpectValid(const std::string& folder, bool interop) {
  if (kSanitized) return;
  EXPECT_EQ(JoinLines(DcpVerifyErrors(folder, interop)), "");
  CommandResult clair = ClairMetaCheck(folder);
  EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
}

std::string ChooseFile(const std::string& button, const std::string& path) {
  return "file " + path + "\npress " + button + "\n";
}

}  // namespace

// SMPTE packing, a title from the title builder, the package's texts and
// kind, the 2D bit rate, X'Y'Z', external 5.1 sound after an in-point and
// SMPTE subtitles, all set through the dialogs, then rendered.
TEST(DialogScript, SmptePackageShowsEverySettingOfTheScript) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("xmllint");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  std::string script =
      "# the General page\n"
      "clear Use composition name as DCP title\n"
      "press Title helper\n"
      "type Film title = moonrise\n"
      "choose Content type = TRL\n"
      "choose Aspect ratio = C\n"
      "choose Audio language = EN\n"
      "choose Audio type = 51\n"
      "date Date = 2024-01-05\n"
      "press OK\n"
      "type Annotation = Moonrise, scripted\n"
      "type Issuer = Scripted Issuer\n"
      "choose Content kind = trailer\n"
      "choose Packing standard = SMPTE\n"
      "page Video\n"
      "tick Convert colours to X'Y'Z'\n"
      "drag Bit rate = 20\n"
      "page Audio\n"
      "choose Audio source = External Files\n"
      "choose Channels = 5.1\n";
  const std::vector<std::string> names = {"ch1_L", "ch2_R", "ch3_C", "ch4_LFE", "ch5_Ls", "ch6_Rs"};
  const char* rows[] = {"Left", "Right", "Center", "LFE", "Left surr.", "Right surr."};
  std::vector<std::string> wavs;
  for (size_t c = 0; c < names.size(); ++c) {
    wavs.push_back(Wav(names[c]));
    script += ChooseFile(rows[c], wavs.back());
  }
  script +=
      "type In-point = 2\n"
      "page Subtitle\n"
      "tick Subtitles\n" +
      ChooseFile("...", SubtitlesEndingAt(dir / "smpte", true, kFrames)) + "press OK\n";
  CommandResult r = RunScript(
      dir, script,
      {"--size", "2048x1080", "--frames", std::to_string(kFrames), "--options", dir / "o.bin", dir / "Moon.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("MOONRISE_TRL_C_EN_51_20240105"), std::string::npos) << r.err;  // the builder's title line

  const std::string folder = dir / "Moon";
  EXPECT_EQ(Cpl(folder, "CompositionPlaylist/ContentTitleText"), "MOONRISE_TRL_C_EN_51_20240105");
  EXPECT_EQ(Cpl(folder, "CompositionPlaylist/AnnotationText"), "Moonrise, scripted");
  EXPECT_EQ(Cpl(folder, "CompositionPlaylist/Issuer"), "Scripted Issuer");
  EXPECT_EQ(Cpl(folder, "CompositionPlaylist/ContentKind"), "trailer");
  EXPECT_TRUE(FileExists(folder + "/ASSETMAP.xml")) << "not SMPTE packing";
  EXPECT_NE(Only(folder, "sub_"), "");
  EXPECT_NE(Cpl(folder, "CompositionPlaylist/ReelList/Reel/AssetList/MainSubtitle/Id"), "");
  ExpectFramesWithinTheRate(folder, 20, kFrames);
  ExpectSoundIsTheFilesFromTheInPoint(folder, wavs, 2, dir);
  const OutputOptions o = Record(dir / "o.bin");
  EXPECT_EQ(o.xyzConversion, 1u);
  EXPECT_EQ(o.bitRate, 20u);
  ExpectValid(folder, false);
}

// Interop packing, a typed title, stereoscopic bit rate, external 2.0 sound
// and Interop subtitles.
TEST(DialogScript, InteropStereoscopicPackageShowsItsSettings) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  std::string script =
      "clear Use composition name as DCP title\n"
      "type DCP title = STEREO TITLE\n"
      "choose Content kind = test\n"
      "choose Packing standard = InterOp\n"
      "page Video\n"
      "clear Convert colours to X'Y'Z'\n"
      "drag Bit rate = 10\n"
      "page Audio\n"
      "choose Audio source = External Files\n"
      "choose Channels = Stereo\n" +
      ChooseFile("Left", Wav("ch1_L")) + ChooseFile("Right", Wav("ch2_R")) +
      "type In-point = 1\n"
      "page Subtitle\n"
      "tick Subtitles\n" +
      ChooseFile("...", SubtitlesEndingAt(dir / "interop", false, kFrames)) + "press OK\n";
  CommandResult r = RunScript(
      dir, script,
      {"--size", "4096x1080", "--frames", std::to_string(kFrames), "--options", dir / "s.bin", dir / "Stereo.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string stereo = dir / "Stereo";
  EXPECT_EQ(Cpl(stereo, "CompositionPlaylist/ContentTitleText"), "STEREO TITLE");
  EXPECT_EQ(Cpl(stereo, "CompositionPlaylist/ContentKind"), "test");
  EXPECT_TRUE(FileExists(stereo + "/ASSETMAP")) << "not Interop packing";
  EXPECT_TRUE(FileExists(stereo + "/77777777-0000-4000-8000-0000000000bb/77777777-0000-4000-8000-0000000000bb.xml"));
  ExpectFramesWithinTheRate(stereo, 10, 2 * kFrames);  // two eyes a frame
  ExpectSoundIsTheFilesFromTheInPoint(stereo, {Wav("ch1_L"), Wav("ch2_R")}, 1, dir);
  const OutputOptions s = Record(dir / "s.bin");
  EXPECT_EQ(s.stereoBitRate, 10u);
  EXPECT_EQ(s.xyzConversion, 0u);
  ExpectValid(stereo, true);
}

// External 7.1 sound in SMPTE packing, the title the composition's name.
TEST(DialogScript, SevenOnePackageShowsItsChannels) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  std::string seven =
      "choose Packing standard = SMPTE\n"
      "page Audio\n"
      "choose Audio source = External Files\n"
      "choose Channels = 7.1\n";
  const std::vector<std::string> names = {"ch1_L", "ch2_R", "ch3_C", "ch4_LFE", "ch5_Ls", "ch6_Rs", "ch7_LC", "ch8_RC"};
  std::vector<std::string> wavs;
  for (size_t c = 0; c < names.size(); ++c) {
    wavs.push_back(Wav(names[c]));
    seven += ChooseFile(std::to_string(2327 + c), wavs.back());
  }
  seven += "type In-point = 3\npress OK\n";
  CommandResult r = RunScript(
      dir, seven,
      {"--size", "1998x1080", "--frames", std::to_string(kFrames), "--name", "Seven Title", dir / "Seven.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Cpl(dir / "Seven", "CompositionPlaylist/ContentTitleText"), "Seven Title");
  ExpectSoundIsTheFilesFromTheInPoint(dir / "Seven", wavs, 3, dir);
  ExpectValid(dir / "Seven", false);
}

// The other channels found for a file chosen in its row: the left sound is
// the left file's although a second file names the left channel, and the
// script goes on past the chosen file, which the dialog took.
TEST(DialogScript, FoundChannelsPlayInTheChannelsTheirNamesName) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("xmllint");
  TempDir dir;
  std::filesystem::copy_file(Wav("ch1_L"), dir / "take_Left.wav");
  std::filesystem::copy_file(Wav("ch3_C"), dir / "take_L.wav");
  std::filesystem::copy_file(Wav("ch2_R"), dir / "take_R.wav");
  const std::string script =
      "page Audio\nchoose Audio source = External Files\nchoose Channels = Stereo\ntick Find the other channels\n" +
      ChooseFile("Right", dir / "take_R.wav") + "press OK\n";
  CommandResult r = RunScript(dir, script, {"--size", "2048x1080", "--frames", kSanitized ? "2" : "6", dir / "T.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSoundIsTheFilesFromTheInPoint(dir / "T", {dir / "take_Left.wav", dir / "take_R.wav"}, 0, dir);
}

// A file that the dialog refuses, with its message (a WAV file of the wrong
// rate or of two channels; subtitle files without an id, with an id that is
// no UUID, without their font, or timed at another rate), stops the script
// at its line with that message: nothing is stored or rendered.
TEST(DialogScript, AFileTheDialogRefusesStopsTheScriptWithItsMessage) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  for (const auto& [name, rate, channels] :
       {std::tuple<std::string, const char*, const char*>{"take_L.wav", "44100", "1"},
        {"stereo_L.wav", "48000", "2"}}) {
    CommandResult made = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=duration=0.25", "-ar", rate,
                                     "-ac", channels, "-c:a", "pcm_s24le", dir / name});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  std::string noId = ReadText(Subtitles("interop/subs_interop.xml"));
  noId.erase(noId.find("  <SubtitleID>"), noId.find("<MovieTitle>") - noId.find("  <SubtitleID>"));
  WriteText(dir / "subs.xml", noId);
  std::string badId = ReadText(Subtitles("interop/subs_interop.xml"));
  badId.replace(badId.find("77777777-0000"), 36, "reel-one");
  WriteText(dir / "bad_id.xml", badId);
  std::filesystem::copy_file(Subtitles("interop/DejaVuSerif.ttf"), dir / "DejaVuSerif.ttf");
  std::filesystem::create_directory(dir / "no_font");
  std::filesystem::copy_file(Subtitles("interop/subs_interop.xml"), dir / "no_font/subs.xml");

  const std::string smpte = std::filesystem::path(Subtitles("smpte/subs.xml")).lexically_normal().string();
  const std::string audio = "page Audio\nchoose Audio source = External Files\n";
  const std::string subtitles = "page Subtitle\ntick Subtitles\n";
  const struct {
    std::string script, fps, error;
  } cases[] = {
      {audio + ChooseFile("Left", dir / "take_L.wav"), "24",
       "line 4 \"press Left\": the dialog refused the file \"" + dir / "take_L.wav" +
           "\": Unsupported WAVE file - Sample rate has to be 48/96 khz"},
      {audio + ChooseFile("Left", dir / "stereo_L.wav"), "24", "Unsupported WAVE file - Channels must be 1"},
      {subtitles + ChooseFile("...", dir / "subs.xml"), "24",
       "line 4 \"press ...\": the dialog refused the file \"" + dir / "subs.xml" +
           "\": This subtitlefile has no SubtitleID"},
      {subtitles + ChooseFile("...", dir / "bad_id.xml"), "24", "The id of this subtitlefile is not a UUID."},
      {subtitles + ChooseFile("...", dir / "no_font/subs.xml"), "24", "No font file found next to this subtitlefile"},
      {"choose Packing standard = SMPTE\n" + subtitles + ChooseFile("...", smpte), "25",
       "line 5 \"press ...\": the dialog refused the file \"" + smpte +
           "\": The subtitle file's EditRate is 24 1, but the composition's is 25 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    CommandResult r = RunScript(dir, c.script + "press OK\n",
                                {"--fps", c.fps, "--options", dir / "o.bin", dir / "R.DCP"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing is stored or rendered"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(dir / "o.bin"));
    EXPECT_FALSE(FileExists(dir / "R"));
  }
}

// A subtitle path typed on the Subtitle page is inspected as a browsed one
// is: a right document of either packing renders as if browsed, and passes
// the field's checkers; a document of the other kind, or a path that names
// no file, stops the script at OK with the inspection's message, and
// nothing is stored or rendered.
TEST(DialogScript, ATypedSubtitlePathIsInspectedAsABrowsedOne) {
  LUMAVOX_REQUIRE_CHECKERS();
  const int frames = kFrames;
  TempDir dir;
  const std::string smpte = std::filesystem::path(Subtitles("smpte/subs.xml")).lexically_normal().string();
  const struct {
    bool smptePacking;
    std::string path, error;
  } cases[] = {
      {false, SubtitlesEndingAt(dir / "interop", false, frames), ""},
      {true, SubtitlesEndingAt(dir / "smpte", true, frames), ""},
      {false, smpte,
       "line 4 \"press OK\": the dialog did not take OK: You are trying to load a SMPTE subtitle file in interOp "
       "packaging mode."},
      {false, dir / "missing.xml", "the dialog did not take OK: This subtitlefile cannot be read."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string script = (c.smptePacking ? "choose Packing standard = SMPTE\n" : "") +
                               std::string("page Subtitle\ntick Subtitles\ntype Subtitle file = ") + c.path +
                               "\npress OK\n";
    CommandResult r = RunScript(dir, script,
                                {"--frames", std::to_string(frames), "--options", dir / "o.bin", dir / "T.DCP"});
    const std::string folder = dir / "T";
    if (!c.error.empty()) {
      EXPECT_EQ(r.status, 1);
      EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("nothing is stored or rendered"), std::string::npos) << r.err;
      EXPECT_FALSE(FileExists(dir / "o.bin"));
      EXPECT_FALSE(FileExists(folder));
      continue;
    }
    ASSERT_EQ(r.status, 0) << r.err;
    const OutputOptions o = Record(dir / "o.bin");
    EXPECT_EQ(std::string(o.subtitlePath), c.path);
    EXPECT_EQ(o.subtitleSmpte, c.smptePacking ? 1 : 0);
    EXPECT_EQ(o.subtitleHasFont, 1);
    if (c.smptePacking) {
      EXPECT_STREQ(o.fontFile, "77777777-0000-4000-8000-0000000000f0");
      EXPECT_NE(Only(folder, "sub_"), "");
    } else {
      EXPECT_STREQ(o.fontFile, "DejaVuSerif.ttf");
      EXPECT_TRUE(FileExists(folder + "/77777777-0000-4000-8000-0000000000bb/DejaVuSerif.ttf"));
    }
    ExpectValid(folder, !c.smptePacking);
    std::filesystem::remove_all(folder);
    std::filesystem::remove(dir / "o.bin");
  }
}

// A line that cannot be carried out stops the program with the line and
// what was on screen, and nothing is stored or rendered.
TEST(DialogScript, LinesThatCannotBeCarriedOutStopWithTheLineAndTheScreen) {
  TempDir dir;
  const std::string stored = dir / "o.bin";
  CommandResult first = MakeOptionsFile(stored);
  ASSERT_EQ(first.status, 0) << first.err;
  const std::vector<uint8_t> before = ReadBytes(stored);
  const struct {
    const char* script;
    const char* error;
  } cases[] = {
      {"type Title = X\n", "line 1 \"type Title = X\": no edit named \"Title\" on screen"},
      {"type DCP title = X\n", "the edit \"DCP title\" is disabled"},
      {"page Audio\nchoose Channels = 5.1\n", "the list \"Channels\" is hidden"},
      {"choose Packing standard = DCI\n", "has no item \"DCI\" (its items: InterOp, SMPTE)"},
      {"page Video\ndrag Bit rate = 300\n", "runs from 1 to 250, not \"300\""},
      {"page Audio\nchoose Audio source = External Files\npress Left\n", "no \"file\" line before it"},
      {"clear Use composition name as DCP title\npress Title helper\n",
       "the script ended while a dialog was still open"},
      {"press OK\npage Video\n", "line 2 \"page Video\": no dialog is open"},
  };
  for (const auto& c : cases) {
    CommandResult r = RunScript(dir, c.script, {"--frames", "1", "--options", stored, dir / "Second.DCP"});
    EXPECT_EQ(r.status, 1) << c.script;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << c.script << r.err;
    EXPECT_NE(r.err.find("nothing is stored or rendered"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(stored), before) << c.script;
    EXPECT_FALSE(FileExists(dir / "Second")) << c.script;
  }
  // The screen of a failed line shows the dialog's controls and their states.
  CommandResult r = RunScript(dir, "type Nothing = X\n", {"--options", stored});
  EXPECT_NE(r.err.find("on screen, the dialog \"Lumavox\":"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("check box 2101 \"Use composition name as DCP title\": ticked"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("list 2105 \"Packing standard\": \"InterOp\""), std::string::npos) << r.err;

  CommandResult unknown = RunScript(dir, "\n# a comment\nwave Left\n", {"--options", stored});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("dialog script line 3 \"wave Left\": unknown action 'wave'"), std::string::npos)
      << unknown.err;
}

// Without a display and without a script, --dialog stops at once.
TEST(DialogScript, DialogWithoutDisplayOrScriptFailsAtOnce) {
  TempDir dir;
  CommandResult r = RunCommand(
      {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", RenderPath(), "--dialog", "--options", dir / "o.bin"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--dialog needs a window system"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir / "o.bin"));
}

// Paths name the user's files as chosen: channel files, a subtitle document
// and an output folder whose names hold a tab or a Latin-1 byte. The dialogs
// store the chosen paths byte for byte, and a render from the stored record
// finds every file and keeps its paths; the output folder named with a tab
// holds a valid package, one that is not UTF-8 is refused before anything is
// made.
TEST(DialogScript, PathsAreCarriedAsTheUserChoseThem) {
  LUMAVOX_REQUIRE_CHECKERS();
  const struct {
    std::string name;
    bool outputRefused;
  } cases[] = {{"tab\t1", false}, {"lat\xE9", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string wavs = dir / ("wav " + c.name);
    std::filesystem::create_directory(wavs);
    std::vector<std::string> channels;
    for (const char* name : {"ch1_L", "ch2_R"}) {
      channels.push_back(wavs + "/" + name + ".wav");
      std::filesystem::copy_file(Wav(name), channels.back());
    }
    const std::string subtitle = SubtitlesEndingAt(dir / ("sub " + c.name), false, 2);
    const std::string script = "page Audio\nchoose Audio source = External Files\nchoose Channels = Stereo\n" +
                               ChooseFile("Left", channels[0]) + ChooseFile("Right", channels[1]) +
                               "page Subtitle\ntick Subtitles\n" + ChooseFile("...", subtitle) + "press OK\n";
    CommandResult stored = RunScript(dir, script, {"--options", dir / "o.bin"});
    ASSERT_EQ(stored.status, 0) << stored.err;

    std::string output = dir / ("out " + c.name);
    auto renderInto = [&](const std::string& folder) {
      return RunCommand({RenderPath(), "--threads", "2", "--size", "2048x858", "--frames", "2", "--options",
                         dir / "o.bin", folder + ".DCP"});
    };
    CommandResult r = renderInto(output);
    if (c.outputRefused) {
      EXPECT_EQ(r.status, 2);
      EXPECT_NE(r.err.find("the output path '" + output + ".DCP' is not UTF-8 text"), std::string::npos) << r.err;
      std::vector<std::string> made;
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        made.push_back(entry.path().filename().string());
      std::sort(made.begin(), made.end());
      EXPECT_EQ(made, (std::vector<std::string>{"o.bin", "script.txt", "sub " + c.name, "wav " + c.name}));
      output = dir / "out";
      r = renderInto(output);
    }
    ASSERT_EQ(r.status, 0) << r.err;
    const OutputOptions o = Record(dir / "o.bin");
    EXPECT_EQ(std::string(o.channelFiles[0]), channels[0]);
    EXPECT_EQ(std::string(o.channelFiles[1]), channels[1]);
    EXPECT_EQ(std::string(o.subtitlePath), subtitle);
    std::string errors;  // a package of two frames is shorter than the second a reel should last
    for (const std::string& line : DcpVerifyErrors(output, true))
      if (line.find("is less than 1 second") == std::string::npos) errors += line + "\n";
    EXPECT_EQ(errors, "");
    EXPECT_TRUE(FileExists(output + "/77777777-0000-4000-8000-0000000000bb/DejaVuSerif.ttf"));
  }
}
