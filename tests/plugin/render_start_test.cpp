// The refusals of the render start, the package folder it prepares, and what
// it reads from the host.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

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

}  // namespace

TEST(RenderStart, RefusesMissingExternalSoundAndSubtitleFiles) {
  TempDir dir;
  {
    auto host = SetUpHost(Settings(1998, 1080, 24, dir / "A.DCP"));
    OutputOptions& options = LiveOptions(*host);
    options.audioSource = 0;  // external files, stereo: L and R must exist
    WriteText(dir / "L.wav", "x");
    std::strcpy(options.channelFiles[0], (dir / "L.wav").c_str());
    std::strcpy(options.channelFiles[1], (dir / "R.wav").c_str());
    ExpectRefused(*host,
                  "Your external audiofiles does not exist.\n Please check your audio files in the option dialog.\n");
    WriteText(dir / "R.wav", "x");
    options.audioLayout = 2;  // 7.1: all eight
    ExpectRefused(*host, "Your external audiofiles does not exist.");
    EXPECT_FALSE(IsFolder(dir / "A"));
  }
  {
    auto host = SetUpHost(Settings(1998, 1080, 24, dir / "B.DCP"));
    OutputOptions& options = LiveOptions(*host);
    options.subtitleOn = 1;
    std::strcpy(options.subtitlePath, (dir / "none.xml").c_str());
    ExpectRefused(*host,
                  "Your subtitle file does not exist.\n Please check your subtitle files in the option dialog.\n");
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

TEST(RenderStart, RefusesOutputPathsThatNameNoPackageFolder) {
  TempDir dir;
  WriteText(dir / "keep.txt", "keep");
  const std::string tooLong = dir.path() + "/" + std::string(260, 'a') + ".DCP";
  for (const std::string& path : {std::string(""), std::string("/.DCP"), dir / ".DCP", dir / "..DCP", dir / "T.mov",
                                  dir / "x\xED\xA0\x80.DCP", tooLong}) {
    SCOPED_TRACE(path);
    auto host = SetUpHost(Settings(1998, 1080, 24, path));
    ExpectRefused(*host, "Sorry cannot remove this ");
    EXPECT_NE(Messages(*host).find("directory, you need to manually remove it."), std::string::npos);
  }
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"keep.txt"});
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
  const std::string name(250 - dir.path().size() - 1, 'n');
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
  // The folder's parent does not exist: the folder is not made and the track file cannot be opened.
  auto host = SetUpHost(Settings(1998, 1080, 24, dir / "none/T.DCP", 4));
  EXPECT_EQ(host->StartAdding(), 9986);
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  EXPECT_EQ(LiveOptions(*host).bufferCount, 0u);
}
