// Whole renders: the picture track file that the frames end up in, read back
// with the independent tools.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "encoder/j2k/cio.h"
#include "host/test_pattern.h"
#include "tests/plugin/render_test_support.h"
#include "tests/support/checkers.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace render_test;

namespace {

// The picture of the renders whose faults do not lie in its size: under a
// sanitizer, the smallest that a render takes.
constexpr int kWidth = kSanitized ? 2048 : 1998;
constexpr int kHeight = kSanitized ? 858 : 1080;

CommandResult RenderProgram(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{RenderPath(), "--plugin", PluginPath()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunCommand(argv);
}

}  // namespace

TEST(RenderPipeline, FramesPastTheFirstSecondAreThePatternInOrder) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "out").c_str(), 0777), 0);
  // A second and two frames: the frames go round the encoding slots several
  // times, and the second second's sound comes between two of them. Under a
  // sanitizer, a few frames, their pictures left to the plain build to check.
  const size_t frames = kSanitized ? 4 : 26;
  const CommandResult r = RenderProgram({"--frames", std::to_string(frames), dir / "out/T.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string mxf = PictureTrackFile(dir / "out/T");
  ASSERT_FALSE(mxf.empty());
  EXPECT_EQ(ProbeFrameCount(mxf), static_cast<int64_t>(frames));
  if (kSanitized) return;
  // Every picture against the pattern frame it came from (every other row and column), and
  // against the next one: each matches its own frame, so they are in order.
  size_t pictures = 0;
  Decoded expected = ExpectedPatternXyz(0, 1998, 1080, 0, 1998, 16, 2);
  ASSERT_TRUE(ForEachDecodedPicture(mxf, dir.path(), [&](size_t k, const Decoded& picture) {
    SCOPED_TRACE("frame " + std::to_string(k));
    ++pictures;
    ASSERT_EQ(picture.width, 1998);
    ASSERT_EQ(picture.height, 1080);
    const Decoded next = ExpectedPatternXyz(static_cast<int64_t>(k + 1), 1998, 1080, 0, 1998, 16, 2);
    const double own = Psnr12(picture, expected, 2);
    EXPECT_GE(own, 40.0);
    EXPECT_GT(own, Psnr12(picture, next, 2));
    expected = next;
  }));
  EXPECT_EQ(pictures, frames);

  // OpenJPEG on every eighth codestream: each is its own frame.
  const auto codestreams = ExtractCodestreams(mxf, dir.path());
  ASSERT_EQ(codestreams.size(), frames);
  for (size_t k = 0; k < codestreams.size(); k += 8) {
    SCOPED_TRACE("OpenJPEG, frame " + std::to_string(k));
    const Decoded picture = DecodeWithOpenJpeg(codestreams[k], dir.path());
    const double own = Psnr12(picture, ExpectedPatternXyz(static_cast<int64_t>(k), 1998, 1080, 0, 1998, 16, 2), 2);
    EXPECT_GE(own, 40.0);
    EXPECT_GT(own, Psnr12(picture, ExpectedPatternXyz(static_cast<int64_t>(k + 1), 1998, 1080, 0, 1998, 16, 2), 2));
  }
}

TEST(RenderPipeline, TheThreadCountChangesNoCodestream) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  std::vector<std::vector<uint8_t>> reference;
  // Under a sanitizer, one thread and more threads than there are slots, with fewer frames.
  const std::vector<const char*> counts = kSanitized ? std::vector<const char*>{"1", "33"}
                                                     : std::vector<const char*>{"1", "3", "8", "33"};
  const size_t frames = kSanitized ? 2 : 5;
  for (const char* threads : counts) {
    SCOPED_TRACE(std::string("threads ") + threads);
    const std::string name = std::string("T") + threads;
    const CommandResult r = RenderProgram(
        {"--frames", std::to_string(frames), "--threads", threads, dir / name + ".DCP"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto codestreams = ExtractCodestreams(PictureTrackFile(dir / name), dir.path());
    ASSERT_EQ(codestreams.size(), frames);
    if (reference.empty()) {
      reference = codestreams;
    } else {
      for (size_t k = 0; k < codestreams.size(); ++k) EXPECT_TRUE(codestreams[k] == reference[k]) << "frame " << k;
    }
  }
}

TEST(RenderPipeline, AHostWithoutWorkerThreadsStillEncodesEveryFrame) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  // No worker thread reported: the plug-in still encodes on a thread of its own.
  auto host = SetUpHost(Settings(kWidth, kHeight, 3, dir / "T.DCP", 0));
  auto source = MakePatternSource();
  EXPECT_EQ(host->Render(*source), 0) << Messages(*host);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "T")), 3);
}

TEST(RenderPipeline, StereoscopicFramesHoldTheLeftThenTheRightHalf) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // Under a sanitizer, two frames whose eyes are encoded side by side; what
  // the pictures hold is the plain build's to check.
  const int frames = kSanitized ? 2 : 3;
  const CommandResult r = RenderProgram(
      {"--size", "3996x1080", "--frames", std::to_string(frames), "--threads", "4", "--depth", "8", dir / "S.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string mxf = PictureTrackFile(dir / "S");
  EXPECT_EQ(ProbeFrameCount(mxf), 2 * frames);  // two codestreams per edit unit
  if (kSanitized) return;
  size_t pictures = 0;
  ASSERT_TRUE(ForEachDecodedPicture(mxf, dir.path(), [&](size_t k, const Decoded& picture) {
    SCOPED_TRACE("codestream " + std::to_string(k));
    ++pictures;
    const auto frame = static_cast<int64_t>(k / 2);
    const int x0 = k % 2 == 0 ? 0 : 1998;  // left, then right
    ASSERT_EQ(picture.width, 1998);
    const double own = Psnr12(picture, ExpectedPatternXyz(frame, 3996, 1080, x0, 1998, 8, 2), 2);
    EXPECT_GE(own, 40.0);
    EXPECT_GT(own, Psnr12(picture, ExpectedPatternXyz(frame, 3996, 1080, 1998 - x0, 1998, 8, 2), 2));
  }));
  EXPECT_EQ(pictures, 6u);

  // OpenJPEG reads the same codestreams, in the same order.
  const auto codestreams = ExtractCodestreams(mxf, dir.path());
  ASSERT_EQ(codestreams.size(), 6u);
  for (size_t k = 0; k < codestreams.size(); ++k) {
    SCOPED_TRACE("OpenJPEG, codestream " + std::to_string(k));
    const Decoded picture = DecodeWithOpenJpeg(codestreams[k], dir.path());
    ASSERT_EQ(picture.width, 1998);
    const auto frame = static_cast<int64_t>(k / 2);
    const int x0 = k % 2 == 0 ? 0 : 1998;
    const double own = Psnr12(picture, ExpectedPatternXyz(frame, 3996, 1080, x0, 1998, 8, 2), 2);
    EXPECT_GE(own, 40.0);
    EXPECT_GT(own, Psnr12(picture, ExpectedPatternXyz(frame, 3996, 1080, 1998 - x0, 1998, 8, 2), 2));
  }
}

TEST(RenderPipeline, EightAndSixteenBitFramesOfOnePictureGiveOneCodestream) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("opj_decompress");
  TempDir dir;
  // Bands of 8-bit levels, the white one in every channel, as an 8-bit PNG
  // and as a 16-bit PNG of the same levels times 257.
  const int w = 1998, h = 1080;
  const int levels[][3] = {{255, 255, 255}, {0, 0, 0}, {128, 64, 200}, {255, 128, 0}};
  std::vector<uint8_t> raw8, raw16;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = levels[x * 4 / w][c];
        raw8.push_back(static_cast<uint8_t>(v));
        raw16.push_back(static_cast<uint8_t>(v * 257 & 0xFF));
        raw16.push_back(static_cast<uint8_t>(v * 257 >> 8));
      }
  WriteBytes(dir / "bands8.rgb", raw8);
  WriteBytes(dir / "bands16.rgb", raw16);
  for (const auto& [format, name] : {std::pair<std::string, std::string>{"rgb24", "bands8"}, {"rgb48le", "bands16"}}) {
    const CommandResult png = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", format, "-s",
                                          "1998x1080", "-i", dir / name + ".rgb", "-pix_fmt",
                                          format == "rgb24" ? "rgb24" : "rgb48be", dir / name + "_%03d.png"});
    ASSERT_EQ(png.status, 0) << png.err;
  }
  std::vector<std::vector<uint8_t>> codestreams;
  for (const char* depth : {"8", "16"}) {
    const std::string name = std::string("bands") + depth;
    const CommandResult r = RenderProgram(
        {"--input", dir / name + "_%03d.png", "--fps", "24", "--frames", "1", "--depth", depth, dir / name + ".DCP"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto found = ExtractCodestreams(PictureTrackFile(dir / name), dir.path());
    ASSERT_EQ(found.size(), 1u);
    codestreams.push_back(found[0]);
  }
  EXPECT_TRUE(codestreams[0] == codestreams[1]) << "the 8-bit and the 16-bit render differ";
  // White reaches full scale: the X'Y'Z' white of the 12-bit white 4095
  // (3883, 3960, 4091), within the coding's error; 8-bit white taken as 4080
  // would give (3871, 3947, 4079).
  const Decoded picture = DecodeWithOpenJpeg(codestreams[0], dir.path());
  ASSERT_EQ(picture.width, w);
  const size_t centre = (static_cast<size_t>(h / 2) * w + w / 8) * 3;
  EXPECT_NEAR(picture.samples[centre], 3883, 2);
  EXPECT_NEAR(picture.samples[centre + 1], 3960, 2);
  EXPECT_NEAR(picture.samples[centre + 2], 4091, 2);
}

TEST(RenderPipeline, FourKFramesCarryRsizZero) {
  LUMAVOX_REQUIRE_TOOL("opj_dump");
  TempDir dir;
  const CommandResult r = RenderProgram({"--size", "4096x2160", "--frames", "2", "--threads", "2", dir / "K.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto codestreams = ExtractCodestreams(PictureTrackFile(dir / "K"), dir.path());
  ASSERT_EQ(codestreams.size(), 2u);
  // The profile: the SIZ marker's Rsiz, right after its length.
  const auto& cs = codestreams[1];
  ASSERT_GT(cs.size(), 8u);
  EXPECT_EQ(cs[2], 0xFF);
  EXPECT_EQ(cs[3], 0x51);
  EXPECT_EQ((cs[6] << 8) | cs[7], 0);
  // The size and the picture as the decoders read them: the plain build's to check.
  if (kSanitized) return;
  WriteBytes(dir / "k.j2c", cs);
  const CommandResult dump = RunCommand({"opj_dump", "-i", dir / "k.j2c"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("x1=4096, y1=2160"), std::string::npos) << dump.out;
  const Decoded decoded = DecodeCodestream(cs, dir.path());
  EXPECT_GE(Psnr12(decoded, ExpectedPatternXyz(1, 4096, 2160, 0, 4096, 16, 2), 2), 40.0);
}

TEST(RenderPipeline, AStoppedRenderKeepsItsBufferedFramesAndWritesNoDocuments) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  auto host = SetUpHost(Settings(kWidth, kHeight, 48, dir / "T.DCP", 8));
  auto source = MakePatternSource();
  RenderControl control;
  control.stop_after_frames = kSanitized ? 3 : 5;  // still being encoded when the render stops
  control.sound_chunk_frames = 2000;               // sound between the frames, while they are encoded
  EXPECT_EQ(host->Render(*source, control), 0) << Messages(*host);
  const std::string mxf = PictureTrackFile(dir / "T");
  ASSERT_FALSE(mxf.empty());
  EXPECT_EQ(ProbeFrameCount(mxf), control.stop_after_frames);
  EXPECT_STREQ(LiveOptions(*host).reelUuid, "");  // no package step
  EXPECT_STREQ(LiveOptions(*host).cplUuid, "");
  // Only the picture: no documents, and the sound that was not complete is not left behind.
  EXPECT_EQ(FolderEntries(dir / "T"), std::vector<std::string>{std::filesystem::path(mxf).filename().string()});
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  host->Finish();
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderPipeline, FramesStillBufferedAtTheEndAreWritten) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  // The duration says 48 frames; the host delivers 11 (under a sanitizer 6:
  // the five slots go round once) and ends the render normally.
  const int64_t delivered = kSanitized ? 6 : 11;
  auto host = SetUpHost(Settings(kWidth, kHeight, delivered, dir / "T.DCP", 4));
  host->state().spec.duration = {48, 24};
  auto source = MakePatternSource();
  RenderControl control;
  control.sound = false;
  // Short of its duration the package cannot be made, and the render end says so.
  EXPECT_EQ(host->Render(*source, control), 9997) << Messages(*host);
  EXPECT_NE(Messages(*host).find("ended after " + std::to_string(delivered) + " frames"), std::string::npos)
      << Messages(*host);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "T")), delivered);
  EXPECT_STREQ(LiveOptions(*host).reelUuid, "");  // no package step
  EXPECT_EQ(host->LiveHandles().size(), 1u);
}

TEST(RenderPipeline, AWriterLeftOpenIsClosedByTheNextRender) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  auto host = SetUpHost(Settings(kWidth, kHeight, 2, dir / "A.DCP", 1));
  HostFrame frame;
  frame.Allocate(kWidth, kHeight, 16);
  FillTestPattern(0, frame);
  ASSERT_EQ(host->StartAdding(), 0);
  ASSERT_EQ(host->AddFrame(0, frame), 0);
  // The render never reaches its end; the next one starts in another folder.
  host->state().spec.path_utf8 = dir / "B.DCP";
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  ASSERT_EQ(host->AddFrame(0, frame), 0);
  ASSERT_EQ(host->AddFrame(1, frame), 0);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  ASSERT_EQ(host->EndAdding(), 0);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "B")), 2);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "A")), 1);
  // The abandoned render's slots went with its file.
  host->Finish();
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderPipeline, AWriterLeftOpenByARecordTheHostDisposedOfGoesToAnotherOutput) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  auto host = SetUpHost(Settings(kWidth, kHeight, 2, dir / "A.DCP", 1));
  const size_t b = host->AddOutput(dir / "B.DCP");
  host->SelectOutput(b);
  ASSERT_EQ(host->InitOutputSpec(), 0);
  HostFrame frame;
  frame.Allocate(kWidth, kHeight, 16);
  FillTestPattern(0, frame);
  host->SelectOutput(0);
  ASSERT_EQ(host->StartAdding(), 0);
  ASSERT_EQ(host->AddFrame(0, frame), 0);
  // A's render never reaches its end, and the host disposes of its record: B's render takes the writer.
  ASSERT_EQ(host->DisposeOptions(), 0);
  host->SelectOutput(b);
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  ASSERT_EQ(host->AddFrame(0, frame), 0);
  ASSERT_EQ(host->AddFrame(1, frame), 0);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  ASSERT_EQ(host->EndAdding(), 0);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "A")), 1);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "B")), 2);
  host->Finish();
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderPipeline, AFailedEncodeIsReportedAndEveryFrameBeforeItIsWritten) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  // Four threads and five slots: a frame is converted while the others encode.
  auto host = SetUpHost(Settings(kWidth, kHeight, 6, dir / "T.DCP", 4));
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  ASSERT_EQ(LiveOptions(*host).bufferCount, 5u);
  // Slot 3's stream takes 100 bytes: frame 3 cannot be encoded, however often it is tried.
  auto stream = host->state().handles.find(LiveOptions(*host).byteStreamHandles[3]);
  ASSERT_NE(stream, host->state().handles.end());
  reinterpret_cast<opj_cio*>(stream->second->bytes.data())->length = 100;

  HostFrame frame;
  frame.Allocate(kWidth, kHeight, 16);
  A_Err err = A_Err_NONE;
  for (int64_t i = 0; i < 6 && !err; ++i) {
    FillTestPattern(i, frame);
    err = host->AddFrame(i, frame);
  }
  // The failure reaches the host from an AddFrame call (the last at the latest), and again from the end, where the
  // frame is tried once more.
  EXPECT_EQ(err, 512);
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  EXPECT_EQ(host->EndAdding(), 512);
  EXPECT_EQ(ProbeFrameCount(PictureTrackFile(dir / "T")), 3);
  EXPECT_EQ(host->LiveHandles().size(), 1u);
  host->Finish();
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderPipeline, AFailedWriteEndsTheRenderWith9997) {
  TempDir dir;
  // Writes past 2 MB fail (the file-size limit), with the signal ignored so that they fail rather than kill.
  const CommandResult r = RunCommand({"sh", "-c", "trap '' XFSZ; ulimit -f 4096; exec \"$@\"", "sh", RenderPath(),
                                      "--plugin", PluginPath(), "--frames", "24", "--threads", "2", dir / "F.DCP"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("9997"), std::string::npos) << r.err;
}

TEST(RenderPipeline, TwoOutputsOfOneRenderTheSecondIsRefusedAndTheFirstIsMade) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  // A second for the checkers; a few frames under a sanitizer.
  const int64_t frames = kSanitized ? 3 : 24;
  auto host = SetUpHost(Settings(kWidth, kHeight, frames, dir / "A.DCP", 2));
  const size_t b = host->AddOutput(dir / "B.DCP");
  host->SelectOutput(b);
  ASSERT_EQ(host->InitOutputSpec(), 0);
  // A call to A, then to B, as a host calls the output modules of one render-queue item. B's calls are refused,
  // each with a message.
  const auto both = [&](const std::function<A_Err()>& call, A_Err forB) {
    host->SelectOutput(0);
    EXPECT_EQ(call(), 0) << Messages(*host);
    host->SelectOutput(b);
    const size_t shown = host->state().messages.size();
    EXPECT_EQ(call(), forB);
    EXPECT_EQ(host->state().messages.size(), shown + (forB != 0 ? 1 : 0)) << Messages(*host);
  };
  both([&] { return host->StartAdding(); }, 9993);
  EXPECT_NE(Messages(*host).find("One DCP is rendered at a time"), std::string::npos) << Messages(*host);
  EXPECT_FALSE(std::filesystem::exists(dir / "B"));
  auto source = MakePatternSource();
  const std::vector<int16_t> sound = source->Sound(0, 48000);
  both([&] { return host->AddSoundChunk(0, sound); }, 9997);
  HostFrame frame;
  frame.Allocate(kWidth, kHeight, 16);
  for (int64_t i = 0; i < frames; ++i) {
    FillTestPattern(i, frame);
    both([&] { return host->AddFrame(i, frame); }, 9997);
  }
  // B's end has nothing to finalise, and neither has a second end of A's render: no message.
  both([&] { return host->EndAdding(); }, 0);
  host->SelectOutput(0);
  EXPECT_EQ(host->EndAdding(), 0);
  EXPECT_EQ(host->state().messages.size(), frames + 2u) << Messages(*host);  // B's start, sound and frames

  const std::string mxf = PictureTrackFile(dir / "A");
  EXPECT_EQ(ProbeFrameCount(mxf), frames);
  EXPECT_EQ(strlen(LiveOptions(*host).cplUuid), 36u);
  if (!kSanitized) {
    EXPECT_EQ(JoinLines(DcpVerifyErrors(dir / "A", true)), "");
    const CommandResult clair = ClairMetaCheck(dir / "A");
    EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
  }
  EXPECT_EQ(host->LiveHandles().size(), 2u);  // the two options records
  host->Finish();
  EXPECT_TRUE(host->state().problems.empty()) << host->state().problems.front();
}

TEST(RenderPipeline, ARenderEndingShortOfOrPastItsDurationMakesNoDocuments) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  const int64_t duration = kSanitized ? 3 : 24;
  const struct {
    const char* label;
    int64_t delivered;
  } cases[] = {{"short", duration - 2}, {"long", duration + 2}, {"exact", duration}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    // The host delivers the frames and all the sound, and ends the render as a whole one.
    auto host = SetUpHost(Settings(kWidth, kHeight, c.delivered, dir / "T.DCP", 2));
    host->state().spec.duration = {static_cast<A_long>(duration), 24};
    auto source = MakePatternSource();
    const A_Err err = host->Render(*source);
    const std::string mxf = PictureTrackFile(dir / "T");
    EXPECT_EQ(ProbeFrameCount(mxf), c.delivered);
    const bool whole = c.delivered == duration;
    EXPECT_EQ(err, whole ? 0 : 9997) << Messages(*host);
    // A second end of the render has nothing to finalise, and says nothing.
    const size_t shown = host->state().messages.size();
    EXPECT_EQ(host->EndAdding(), 0);
    EXPECT_EQ(host->state().messages.size(), shown);
    EXPECT_EQ(strlen(LiveOptions(*host).cplUuid), whole ? 36u : 0u);
    if (!whole) {
      EXPECT_NE(Messages(*host).find("ended after " + std::to_string(c.delivered) +
                                     " frames, but the composition lasts " + std::to_string(duration)),
                std::string::npos)
          << Messages(*host);
      // Only the track files, which the track-file library reads as whole files of what they hold.
      const std::vector<std::string> left = FolderEntries(dir / "T");
      ASSERT_EQ(left.size(), 2u) << JoinLines(left);
      EXPECT_EQ(left[0].rfind("j2c_", 0), 0u);
      EXPECT_EQ(left[1].rfind("pcm_", 0), 0u);
      if (!kSanitized) {
        const CommandResult info = RunChecker({"asdcp-info", "-i", "-d", mxf});
        EXPECT_EQ(info.status, 0) << info.out << info.err;
        EXPECT_NE(info.out.find("ContainerDuration: " + std::to_string(c.delivered)), std::string::npos) << info.out;
      }
    } else if (!kSanitized) {
      EXPECT_EQ(JoinLines(DcpVerifyErrors(dir / "T", true)), "");
      const CommandResult clair = ClairMetaCheck(dir / "T");
      EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
    }
  }
}
