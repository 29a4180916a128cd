// The refusals of the render start, the package folder it prepares, and what
// it reads from the host.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/plugin/render_test_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace render_test;

namespace {

constexpr A_Err kStartCheck = 9993;

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The render start refuses with 9993 and shows `text`; nothing is left allocated.
void ExpectRefused(RenderHost& host, const std::string& text) {
  EXPECT_EQ(host.StartAdding(), kStartCheck);
  EXPECT_NE(Messages(host).find(text), std::string::npos) << Messages(host);
  EXPECT_EQ(host.LiveHandles().size(), 1u);  // the options record only
  EXPECT_TRUE(host.state().problems.empty()) << host.state().problems.front();
}

// A tenth of a second of silence in a WAV file of integer PCM.
void WriteSilentWav(const std::string& path, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint32_t block = channels * bits / 8u, size = rate / 10 * block;
  const auto le = [](uint32_t v, int bytes) {
    std::string b;
    for (int k = 0; k < bytes; ++k) b += char(v >> (8 * k));
    return b;
  };
  WriteText(path, "RIFF" + le(36 + size, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(rate, 4) +
                      le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data" + le(size, 4) +
                      std::string(size, '\0'));
}

}  // namespace

// Missing input files are refused by what is missing: the channel rows that
// are empty or whose file cannot be opened, as the Audio page labels them,
// and subtitles on with no file chosen.
TEST(RenderStart, RefusesMissingExternalSoundAndSubtitleFilesNamingThem) {
  TempDir dir;
  {
    auto host = SetUpHost(Settings(1998, 1080, 24, dir / "A.DCP"));
    OutputOptions& options = LiveOptions(*host);
    options.audioSource = 0;  // external files, stereo: L and R must exist
    WriteText(dir / "L.wav", "x");
    std::strcpy(options.channelFiles[0], (dir / "L.wav").c_str());
    std::strcpy(options.channelFiles[1], (dir / "R.wav").c_str());
    ExpectRefused(*host, "Your external audiofiles does not exist.\n The file of Right cannot be opened: " +
                             dir / "R.wav" + "\n Please check your audio files in the option dialog.\n");
    WriteText(dir / "R.wav", "x");
    options.audioLayout = 2;  // 7.1: all eight, the two centre rows empty
    for (int k = 2; k < 6; ++k) std::strcpy(options.channelFiles[k], (dir / "L.wav").c_str());
    ExpectRefused(*host,
                  "Your external audiofiles does not exist.\n No file is chosen for Left center, Right center.\n "
                  "Please check your audio files in the option dialog.\n");
    EXPECT_FALSE(IsFolder(dir / "A"));
  }
  {
    auto host = SetUpHost(Settings(1998, 1080, 24, dir / "B.DCP"));
    OutputOptions& options = LiveOptions(*host);
    options.subtitleOn = 1;
    std::strcpy(options.subtitlePath, (dir / "none.xml").c_str());
    ExpectRefused(*host,
                  "Your subtitle file does not exist.\n Please check your subtitle files in the option dialog.\n");
    options.subtitlePath[0] = '\0';  // a packing switched away and back
    ExpectRefused(*host,
                  "Subtitles are on, but no subtitle file is chosen.\n Please choose one on the Subtitle page of the "
                  "option dialog, or turn subtitles off there.\n");
  }
}

// A channel file typed on the Audio page, or exported again since it was
// chosen, is checked as a chosen one is (every channel of every file would be
// wrapped): refused by name and reason before the earlier package goes.
TEST(RenderStart, RefusesExternalChannelFilesThatAreNotOne24BitChannel) {
  TempDir dir;
  WriteSilentWav(dir / "mono.wav", 1, 48000, 24);
  WriteSilentWav(dir / "stereo.wav", 2, 48000, 24);
  WriteSilentWav(dir / "cd.wav", 1, 44100, 24);
  WriteSilentWav(dir / "short.wav", 1, 48000, 16);
  ASSERT_EQ(mkdir((dir / "A").c_str(), 0777), 0);
  WriteText(dir / "A/ASSETMAP.xml", "an earlier package's");
  struct Case {
    uint32_t layout;
    int channel;
    const char *file, *reason;
  };
  for (const Case& c :
       {Case{0, 1, "stereo.wav", "Channels must be 1"}, Case{1, 4, "stereo.wav", "Channels must be 1"},
        Case{0, 0, "cd.wav", "Sample rate has to be 48/96 khz"}, Case{2, 7, "short.wav", "Bit depth must be 24"}}) {
    SCOPED_TRACE(c.channel);
    auto host = SetUpHost(Settings(1998, 1080, 2, dir / "A.DCP"));
    OutputOptions& options = LiveOptions(*host);
    options.audioSource = 0;
    options.audioLayout = c.layout;
    for (int k = 0; k < 8; ++k)
      std::strcpy(options.channelFiles[k], (dir / (k == c.channel ? c.file : "mono.wav")).c_str());
    ExpectRefused(*host, "Your external audiofile " + dir / c.file + " cannot be used: Unsupported WAVE file - " +
                             c.reason + ".\n Please check your audio files in the option dialog.\n");
    EXPECT_EQ(FolderEntries(dir / "A"), std::vector<std::string>{"ASSETMAP.xml"});
  }
}

TEST(RenderStart, RefusesUnsupportedRatesAndInteropAboveTwentyFour) {
  TempDir dir;
  {
    auto host = SetUpHost(Settings(1998, 1080, 23, dir / "A.DCP", 1, 23));
    ExpectRefused(*host, "Unsupported framerate: 23 fps\n\nLumavox are supporting 24, 25, 30, 48, 50 and 60 fps");
  }
  {
    auto host = SetUpHost(Settings(1998, 1080, 25, dir / "B.DCP", 1, 25));
    LiveOptions(*host).packing = 0;  // a record set to Interop by hand
    ExpectRefused(*host,
                  "You have selected InterOp packing format and it only supports 24 fps\nChange packing format to "
                  "SMPTE or change framerate to 24 fps");
    EXPECT_EQ(LiveOptions(*host).packing, 0u);
  }
  EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST(RenderStart, RefusesStereoscopicSizesAboveTwentyFourAndNoStereoscopicBitRate) {
  TempDir dir;
  // A double-width size at 48 fps, whatever the record's flag holds.
  {
    auto host = SetUpHost(Settings(3996, 1080, 4, dir / "A.DCP", 1, 48));
    LiveOptions(*host).stereoscopic = 0;
    ExpectRefused(*host, "3D DCPs only supports 24 fps");
  }
  // The bit rate of the kind of picture that is rendered counts.
  {
    auto host = SetUpHost(Settings(3996, 1080, 2, dir / "B.DCP"));
    LiveOptions(*host).stereoBitRate = 0;
    ExpectRefused(*host,
                  "The stereoscopic bit rate is 0 Mbit/s: every picture would be coded without any picture "
                  "data.\nPlease choose at least 1 Mbit/s");
  }
  EXPECT_TRUE(FolderEntries(dir.path()).empty());
  // 1 Mbit/s is the lowest that is taken.
  auto host = SetUpHost(Settings(3996, 1080, 2, dir / "C.DCP"));
  LiveOptions(*host).bitRate = 0;
  LiveOptions(*host).stereoBitRate = 1;
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host->EndAdding(), 0);
}

TEST(RenderStart, RefusesOutputPathsThatNameNoPackageFolder) {
  TempDir dir;
  WriteText(dir / "keep.txt", "keep");
  for (const std::string& path : {std::string(""), std::string("/.DCP"), dir / ".DCP", dir / "..DCP", dir / "T.mov"}) {
    SCOPED_TRACE(path);
    auto host = SetUpHost(Settings(1998, 1080, 24, path));
    ExpectRefused(*host, "The output path names no package folder: \"" + path + "\"");
    EXPECT_NE(Messages(*host).find("followed by .DCP"), std::string::npos);
  }
  auto host = SetUpHost(Settings(1998, 1080, 24, dir / "x\xED\xA0\x80.DCP"));
  ExpectRefused(*host, "The output path cannot be read: it is not valid Unicode text.");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"keep.txt"});
}

TEST(RenderStart, RefusesAnOutputPathTooLongForTheRecordNamingItAndTheLimit) {
  TempDir dir;
  const size_t room = 260 - dir.path().size() - 1 - 4;  // for a path of exactly 260 bytes
  std::string twoByteName;                              // "é" counts two bytes in UTF-8, one unit in UTF-16
  while (twoByteName.size() + 2 <= room) twoByteName += "\xC3\xA9";
  twoByteName.resize(room, 'e');
  for (const std::string& path : {dir / std::string(room, 'a') + ".DCP", dir / twoByteName + ".DCP",
                                  dir / std::string(200, 'b') + "/" + std::string(200, 'c') + ".DCP"}) {
    SCOPED_TRACE(path);
    auto host = SetUpHost(Settings(1998, 1080, 24, path));
    ExpectRefused(*host, "The output path is too long (" + std::to_string(path.size()) +
                             " bytes; at most 259 are supported): " + path);
  }
  EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST(RenderStart, RefusesAPackageFolderTooLongForThePathsOfItsFiles) {
  TempDir dir;
  // The playlist's path adds 45 bytes to the folder's: 214 bytes of folder fit, 215 do not.
  const std::string fits = dir / std::string(214 - dir.path().size() - 1, 'f');
  const std::string tooLong = fits + "g";
  {
    auto host = SetUpHost(Settings(1998, 1080, 24, tooLong + ".DCP"));
    ExpectRefused(*host,
                  "The package folder's path is too long (215 bytes; at most 214 are supported, so that the paths "
                  "of the files in it stay within 259): " +
                      tooLong);
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
  }
  auto accepted = SetUpHost(Settings(1998, 1080, 24, fits + ".DCP"));
  ASSERT_EQ(accepted->StartAdding(), 0) << Messages(*accepted);
  accepted->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(accepted->EndAdding(), 0);
}

TEST(RenderStart, AFolderThatCannotBeCreatedIsReportedWithTheSystemsReasonAndNothingIsEncoded) {
  TempDir dir;
  WriteText(dir / "file", "a file where a folder would be needed");
  struct Case {
    std::string output, folder, reason;
  };
  std::vector<Case> cases = {{dir / "file/T.DCP", dir / "file/T", "Not a directory"},
                             {dir / "none/T.DCP", dir / "none/T", "No such file or directory"}};
  // A read-only parent stops only a user who is not the superuser.
  if (geteuid() != 0) {
    ASSERT_EQ(mkdir((dir / "locked").c_str(), 0555), 0);
    cases.push_back({dir / "locked/T.DCP", dir / "locked/T", "Permission denied"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    auto host = SetUpHost(Settings(1998, 1080, 24, c.output));
    ExpectRefused(*host, "Cannot create the folder " + c.folder + ": " + c.reason);
    auto source = MakePatternSource();
    EXPECT_EQ(host->Render(*source), kStartCheck);
    for (const auto& call : host->calls()) EXPECT_NE(call.callback, "AEIO_AddFrame");
  }
  EXPECT_EQ(ReadText(dir / "file"), "a file where a folder would be needed");
}

TEST(RenderStart, AFolderThatCannotBeRemovedIsReportedAndKept) {
  TempDir dir;
  WriteText(dir / "T", "a file where the package folder would go");
  auto host = SetUpHost(Settings(1998, 1080, 24, dir / "T.DCP"));
  ExpectRefused(*host, "Sorry cannot remove this " + (dir / "T") + " directory, you need to manually remove it.");
  EXPECT_EQ(ReadText(dir / "T"), "a file where the package folder would go");
}

TEST(RenderStart, AReportAboutALongPathIsCutToTheReportBuffer) {
  TempDir dir;
  const std::string name(214 - dir.path().size() - 1, 'n');
  WriteText(dir / name, "a file");
  auto host = SetUpHost(Settings(1998, 1080, 24, dir / name + ".DCP"));
  ExpectRefused(*host, "Sorry cannot remove this " + dir.path());
  ASSERT_FALSE(host->state().messages.empty());
  EXPECT_EQ(host->state().messages.back().size(), 255u);  // 256 bytes with the terminating zero
}

TEST(RenderStart, ReplacesAnEarlierPackageWithSpacesAndLeavesItsNeighbours) {
  TempDir dir;
  for (const char* name : {"my", "film"}) {
    ASSERT_EQ(mkdir((dir / name).c_str(), 0777), 0);
    WriteText(dir / name + "/old.txt", name);
  }
  // A whole earlier package in "my film": track files and documents.
  {
    auto earlier = SetUpHost(Settings(1998, 1080, 2, dir / "my film.DCP"));
    auto source = MakePatternSource();
    ASSERT_EQ(earlier->Render(*source), 0) << Messages(*earlier);
  }
  const std::vector<std::string> before = FolderEntries(dir / "my film");
  ASSERT_EQ(before.size(), 6u);  // picture, sound, CPL, PKL, asset map, volume index
  auto host = SetUpHost(Settings(1998, 1080, 2, dir / "my film.DCP"));
  EXPECT_EQ(host->StartAdding(), 0) << Messages(*host);
  EXPECT_EQ(FolderEntries(dir / "my film"), std::vector<std::string>{LiveOptions(*host).pictureFileName});
  EXPECT_EQ(ReadText(dir / "my/old.txt"), "my");
  EXPECT_EQ(ReadText(dir / "film/old.txt"), "film");
  EXPECT_STREQ(LiveOptions(*host).folderPath, (dir / "my film").c_str());
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host->EndAdding(), 0);
}

TEST(RenderStart, KeepsAFolderOfTheUsersOwnFilesWhereThePackageWouldGo) {
  TempDir dir;
  // "Projects.DCP" names the folder "Projects", which holds the user's work
  // beside a package rendered there before.
  ASSERT_EQ(mkdir((dir / "Projects").c_str(), 0777), 0);
  {
    auto earlier = SetUpHost(Settings(1998, 1080, 2, dir / "Projects.DCP"));
    auto source = MakePatternSource();
    ASSERT_EQ(earlier->Render(*source), 0) << Messages(*earlier);
  }
  WriteText(dir / "Projects/budget.ods", "the user's own");
  const std::vector<std::string> before = FolderEntries(dir / "Projects");
  auto host = SetUpHost(Settings(1998, 1080, 2, dir / "Projects.DCP"));
  ExpectRefused(*host,
                "Sorry cannot remove this " + (dir / "Projects") + " directory, you need to manually remove it.");
  EXPECT_EQ(FolderEntries(dir / "Projects"), before);
  EXPECT_EQ(ReadText(dir / "Projects/budget.ods"), "the user's own");
}

TEST(RenderStart, ReadsTheDurationInSixtyFourBits) {
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 240, dir / "A.DCP"));
  host->state().spec.duration = {6000, 600};  // 10 s at 24 fps
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  EXPECT_EQ(LiveOptions(*host).durationFrames, 240.0);
  EXPECT_EQ(LiveOptions(*host).framesRemaining, 240u);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  ASSERT_EQ(host->EndAdding(), 0);
  // Two hours on a time scale of 30000: the product of value and rate passes 32 bits.
  host->state().spec.duration = {216000000, 30000};
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  EXPECT_EQ(LiveOptions(*host).durationFrames, 172800.0);
  EXPECT_EQ(LiveOptions(*host).framesRemaining, 172800u);
  EXPECT_EQ(host->EndAdding(), 0);
}

TEST(RenderStart, RefusesTimelineSoundLongerThanAWavFileHolds) {
  TempDir dir;
  // At 24 fps each frame adds 2000 sample frames of 3 bytes to each
  // temporary file: 715,827 frames fit a RIFF size of 32 bits, 715,828 do not.
  auto host = SetUpHost(Settings(1998, 1080, 715828, dir / "L.DCP"));
  ExpectRefused(*host,
                "The composition lasts 715828 frames (8:17:06 at 24 fps): too long for its sound from the timeline, "
                "which is kept in two temporary WAV files of 4294968044 bytes each, more than the 4 GiB a WAV file "
                "can hold (at most 715827 frames at 24 fps).");
  EXPECT_FALSE(IsFolder(dir / "L"));
  host->state().spec.duration = {715827, 24};
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host->EndAdding(), 0);
}

TEST(RenderStart, MakesASlotPerThreadAndSpareOnesWithinTheSlotsThereAre) {
  struct Case {
    int threads;
    int width;
    uint32_t slots;
  };
  // One per thread (0 threads count as 1) and a quarter more, at least 1; at most 32; stereoscopic: even.
  for (const Case& c : {Case{0, 1998, 2}, Case{3, 1998, 4}, Case{16, 1998, 20}, Case{33, 1998, 32}, Case{1, 3996, 2},
                        Case{3, 3996, 4}, Case{14, 3996, 18}, Case{33, 3996, 32}}) {
    SCOPED_TRACE(std::to_string(c.threads) + " threads, width " + std::to_string(c.width));
    TempDir dir;
    auto host = SetUpHost(Settings(c.width, 1080, 1, dir / "A.DCP", c.threads));
    ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
    EXPECT_EQ(LiveOptions(*host).bufferCount, c.slots);
    EXPECT_EQ(LiveHandles(*host, "CompGPU"), static_cast<int>(3 * c.slots));
    EXPECT_EQ(LiveHandles(*host, "ImageH"), static_cast<int>(c.slots));
    EXPECT_EQ(LiveHandles(*host, "cioH"), static_cast<int>(c.slots));
    host->SetQueueState(AEGP_RenderQueueState_STOPPED);  // no frame came: no package to make
    EXPECT_EQ(host->EndAdding(), 0);
    EXPECT_EQ(host->LiveHandles().size(), 1u);
  }
}

TEST(RenderStart, AMissingSuiteEndsTheCallbackWithNothingLockedOrLeft) {
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 2, dir / "A.DCP", 2));
  host->Withhold(kAEGPRQItemSuite, kAEGPRQItemSuiteVersion3);
  EXPECT_EQ(host->StartAdding(), A_Err_MISSING_SUITE);
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  host->Offer(kAEGPRQItemSuite, kAEGPRQItemSuiteVersion3);
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  // At the end the render-queue state cannot be read: the file is finalised and the slots are freed all the same.
  host->Withhold(kAEGPRenderQueueSuite, kAEGPRenderQueueSuiteVersion1);
  EXPECT_EQ(host->EndAdding(), A_Err_MISSING_SUITE);
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  EXPECT_FALSE(PictureTrackFile(dir / "A").empty());
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderStart, AFileThatCannotBeOpenedLeavesNoSlotBehind) {
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 24, dir / "T.DCP", 4));
  // No file may grow during the start: the folder is made, the track file's
  // header cannot be written.
  A_Err err = A_Err_NONE;
  WithFileSizeLimit(0, [&] { err = host->StartAdding(); });
  EXPECT_EQ(err, 9986) << Messages(*host);
  EXPECT_EQ(Messages(*host), "cannot write " + std::string(LiveOptions(*host).pictureFileName) + ": File too large\n");
  EXPECT_TRUE(IsFolder(dir / "T"));
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  EXPECT_EQ(LiveOptions(*host).bufferCount, 0u);
}

// A start that cannot have the host memory of its encoding slots (a handle
// refused with an error, or by a throw as when the system has none) says
// what could not be had, leaves nothing allocated or locked, and keeps the
// earlier package as it was: the slots are made before the folder is
// touched.
TEST(RenderStart, AStartWithoutMemoryForItsSlotsSaysSoAndKeepsTheEarlierPackage) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "A").c_str(), 0777), 0);
  const std::string uuid = "0f0e0d0c-0b0a-4908-8706-050403020100";
  const std::vector<std::string> earlier = {"ASSETMAP.xml", "cpl_" + uuid + ".xml", "j2c_" + uuid + ".mxf"};
  for (const std::string& name : earlier) WriteText(dir / "A/" + name, "earlier " + name);
  struct Case {
    const char* handle;
    int count;
    bool thrown;
    const char* part;
  };
  // Two threads: three slots of three tile buffers, an image (record,
  // components, three planes) and a byte stream (record, buffer) each.
  for (const Case& c : {Case{"CompGPU", 1, false, "the tile buffers of encoding slot 1 of 3"},
                        Case{"dataH", 5, true, "the image of encoding slot 2 of 3"},
                        Case{"cioH", 2, false, "the byte stream of encoding slot 2 of 3"},
                        Case{"cio_bufferH", 3, true, "the byte stream of encoding slot 3 of 3"}}) {
    SCOPED_TRACE(std::string(c.handle) + " " + std::to_string(c.count) + (c.thrown ? " thrown" : ""));
    auto host = SetUpHost(Settings(1998, 1080, 2, dir / "A.DCP", 2));
    host->state().handle_refusal = HostState::HandleRefusal{c.handle, c.count, c.thrown};
    EXPECT_NE(host->StartAdding(), 0);
    EXPECT_NE(Messages(*host).find(std::string("Not enough memory to start the render: ") + c.part), std::string::npos)
        << Messages(*host);
    EXPECT_EQ(host->LiveHandles().size(), 1u);  // the options record only
    EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
    EXPECT_EQ(FolderEntries(dir / "A"), earlier);
    for (const std::string& name : earlier) EXPECT_EQ(ReadText(dir / "A/" + name), "earlier " + name);
  }
}
