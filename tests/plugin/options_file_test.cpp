// The render program end to end: a stored options record is handed to the
// set-up, checked against the composition and written back, as a host keeps
// it in a project.
#include "tests/plugin/plugin_harness.h"

using namespace plugin_test;
using lumavox_test::RunCommand;

TEST(OptionsFile, KeepsTheSettingsAndStoresTheSwitchToSmpte) {
  lumavox_test::TempDir dir;
  const std::string options = dir / "options.bin";
  auto first = lumavox_test::MakeOptionsFile(options, {"--size", "2048x1080", "--fps", "24"});
  ASSERT_EQ(first.status, 0) << first.err;
  std::vector<uint8_t> stored = lumavox_test::ReadBytes(options);
  ASSERT_EQ(stored.size(), kRecordSize);
  EXPECT_EQ(U32(stored, kVersion), 7u);
  EXPECT_EQ(U32(stored, kPacking), 0u);

  // The user's settings survive; an Interop record rendered at 25 fps is
  // switched to SMPTE with its message, and stored so.
  PutText(stored, kTitle, 260, "Kept title");
  PutU32(stored, kBitRate, 200);
  lumavox_test::WriteBytes(options, stored);
  auto second = RunCommand({lumavox_test::RenderPath(), "--size", "2048x1080", "--fps", "25", "--frames", "1",
                            "--options", options, dir / "b.DCP"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.err.find("You have selected InterOp packing style and it only supports 24 fps.\n"
                            "Please note that packing style is changed to SMPTE to support your framerate."),
            std::string::npos)
      << second.err;
  std::vector<uint8_t> again = lumavox_test::ReadBytes(options);
  ASSERT_EQ(again.size(), kRecordSize);
  EXPECT_EQ(Text(again, kTitle, 260), "Kept title");
  EXPECT_EQ(U32(again, kBitRate), 200u);
  EXPECT_EQ(U32(again, kPacking), 1u);
  EXPECT_EQ(U32(again, kFrameRate), 25u);
}
