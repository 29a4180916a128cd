// Renders of several lumavox-render programs at once, into one output and
// into different ones.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/checkers.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

// The names of the picture track files in `folder`.
std::vector<std::string> PictureTrackFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.path().filename().string().rfind("j2c_", 0) == 0) names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace

// While one program renders into A, another one's start into A (spelled
// through a link) is refused before anything is touched, and the first makes
// its package; one into B renders beside it, and one into A after the first
// has ended renders.
TEST(SharedOutput, ASecondProgramIsRefusedWhileTheFirstRendersIntoItsOutput) {
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  std::filesystem::create_directory_symlink(".", dir / "link");
  std::atomic<bool> done{false};
  CommandResult first;
  std::thread render([&] {
    // A second for the checkers; a few frames under a sanitizer.
    first = RunCommand(
        {RenderPath(), "--frames", kSanitized ? "3" : "24", "--size", "2048x858", "--threads", "1", dir / "A.DCP"});
    done = true;
  });
  std::vector<std::string> opened;
  while (!done && opened.empty()) {
    opened = PictureTrackFiles(dir / "A");
    if (opened.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::vector<std::string> command = {RenderPath(), "--frames",  "1", "--size",
                                      "2048x858",   "--threads", "1", dir / "link/A.DCP"};
  const CommandResult second = RunCommand(command);
  const bool firstStillRunning = !done;
  // Under a sanitizer the refusal alone: the renders that the lock lets
  // through are the plain build's to check.
  command.back() = dir / "B.DCP";
  const CommandResult beside = kSanitized ? CommandResult{0, "", ""} : RunCommand(command);
  render.join();
  ASSERT_EQ(opened.size(), 1u) << "the first render ended before its picture track file was seen\n" << first.err;
  ASSERT_TRUE(firstStillRunning) << "the first render ended before the second was refused";

  EXPECT_NE(second.status, 0);
  EXPECT_NE(
      second.err.find("Another render is writing the package in " + dir / "link/A" + ", so this one is not started."),
      std::string::npos)
      << second.err;
  EXPECT_NE(second.err.find("the render failed with error 9993"), std::string::npos) << second.err;
  EXPECT_EQ(beside.status, 0) << beside.err;

  // The first's package, whole and its own; its log is its own too.
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(PictureTrackFiles(dir / "A"), opened);
  EXPECT_FALSE(FileExists(dir / "A/tmpL.wav"));
  EXPECT_EQ(ReadText(dir / "A.log").find("Another render"), std::string::npos);
  if (kSanitized) return;
  EXPECT_EQ(JoinLines(DcpVerifyErrors(dir / "A", true)), "");
  command.back() = dir / "link/A.DCP";
  const CommandResult after = RunCommand(command);
  EXPECT_EQ(after.status, 0) << after.err;
}
