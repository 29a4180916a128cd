// Failures of a render that the user learns of only through the host's
// message function: a frame that cannot be encoded (the encoding thread's
// allocations refused, as when the memory runs out) and a sound track file
// that cannot be opened (its header cannot be written), each with its cause.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/render_host.h"
#include "host/test_pattern.h"
#include "tests/allocation/refused_allocations.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;

TEST(RenderFailureMessage, AFailedEncodeAndASoundTrackFileThatCannotBeOpenedSayWhy) {
  struct Case {
    bool inFrames;  // else in the sound
    std::string begins, ends;
  };
  for (const Case& c :
       {Case{true, "Encoding frame 1 of 2 failed: there was not enough memory for the encoder.", "try again."},
        Case{false, "cannot write pcm_", ".mxf: File too large"}}) {
    SCOPED_TRACE(c.begins);
    lumavox_test::TempDir dir;
    HostSettings settings;
    settings.comp.frames = 2;
    settings.output_path = dir / "A.DCP";
    settings.echo = false;
    RenderHost host(settings);
    host.Load(lumavox_test::PluginPath());
    ASSERT_EQ(host.CallEntryPoint(), 0);
    ASSERT_EQ(host.InitOutputSpec(), 0);
    ASSERT_EQ(host.StartAdding(), 0);
    HostFrame frame;
    frame.Allocate(settings.comp.width, settings.comp.height, 16);
    allocation_test::RefuseAllocationsOfOtherThreads(c.inFrames);
    A_Err err = A_Err_NONE;
    for (int64_t i = 0; i < 2 && !err; ++i) {
      FillTestPattern(i, frame);
      err = host.AddFrame(i, frame);
    }
    allocation_test::RefuseAllocationsOfOtherThreads(false);
    if (!c.inFrames) {
      ASSERT_EQ(err, A_Err_NONE);
      // Files of 12 KiB: the temporary sound files (12,044 bytes each) fit,
      // the sound track file's header (16 KiB and more) does not.
      lumavox_test::WithFileSizeLimit(12288, [&] { err = host.AddSoundChunk(0, std::vector<int16_t>(2 * 4000)); });
    }
    EXPECT_NE(err, A_Err_NONE);
    const std::string message = host.state().messages.empty() ? "" : host.state().messages.front();
    EXPECT_EQ(message.rfind(c.begins, 0), 0u) << message;
    EXPECT_EQ(message.substr(message.size() - std::min(message.size(), c.ends.size())), c.ends) << message;
    host.SetQueueState(AEGP_RenderQueueState_STOPPED);
    host.EndAdding();
  }
}
