// lumavox-render as a program, with the real output module.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "host/render_host.h"
#include "tests/support/checkers.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

TEST(RenderProgram, OptionsFileIsHandedToTheSetUpAndWrittenBack) {
  TempDir dir;
  const std::string options = dir / "options.bin";
  ASSERT_EQ(MakeOptionsFile(options).status, 0);
  // The output's folder does not exist yet: the host makes it, as a render
  // queue has it. A frame is as much as the set-up and its record need.
  auto first = RunCommand({RenderPath(), "--frames", "1", "--options", options, dir / "out/sub/a.DCP"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(FileExists(dir / "out/sub/a"));
  auto stored = ReadBytes(options);
  ASSERT_EQ(stored.size(), 11688u);
  // A setting changed in the stored bytes (the title) survives the next run.
  const char title[] = "KEPT TITLE";
  std::memcpy(stored.data() + 272, title, sizeof title);
  WriteBytes(options, stored);
  auto second = RunCommand({RenderPath(), "--frames", "1", "--options", options, dir / "out/sub/a.DCP"});
  ASSERT_EQ(second.status, 0) << second.err;
  auto again = ReadBytes(options);
  ASSERT_EQ(again.size(), 11688u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(again.data() + 272)), "KEPT TITLE");
  EXPECT_FALSE(FileExists(options + ".new"));
}

TEST(RenderProgram, FailingSetUpExitsWithThePlugInsMessage) {
  TempDir dir;
  const std::string options = dir / "options.bin";
  std::vector<uint8_t> record(11688, 0);
  record[0] = 7;  // a stored record of layout version 7, every setting zero
  WriteBytes(options, record);
  auto r = RunCommand({RenderPath(), "--size", "1280x720", "--frames", "2", "--options", options, dir / "x.DCP"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("Width / height of your composition is not supported."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failed with error 9995"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(options), record);  // nothing stored from a failed set-up

  auto missing = RunCommand({RenderPath(), "--plugin", dir / "nothing.so", dir / "x.DCP"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot load the plug-in"), std::string::npos) << missing.err;
}

TEST(RenderProgram, RefusesWhatNoPackageCanBeMadeOfBeforeAnythingIsWritten) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  // A stored record of layout version 7 with timeline sound and every other
  // setting zero: a bit rate of 0 Mbit/s.
  std::vector<uint8_t> record(11688, 0);
  record[0] = 7;
  record[1480] = 1;
  WriteBytes(dir / "zero.bin", record);
  // An options path that names a folder, refused before the options dialog
  // too: its settings could not be stored there.
  std::filesystem::create_directory(dir / "rec.opts");
  WriteText(dir / "ok.script", "press OK\n");
  const std::string folderRefused = "cannot read the options file '" + dir / "rec.opts" + "': Is a directory";
  const Case cases[] = {
      // The rate reaches the plug-in with its fraction, which it refuses.
      {{"--fps", "24.5"}, "Unsupported framerate: 24.5 fps\n\nLumavox are supporting 24, 25, 30, 48, 50 and 60 fps"},
      {{"--size", "4096x1080", "--fps", "48"}, "3D DCPs only supports 24 fps"},
      {{"--options", dir / "zero.bin"}, "The bit rate is 0 Mbit/s"},
      // A mistyped name is no new record: only the options dialog makes one.
      {{"--options", dir / "zeor.bin"}, "the options file '" + dir / "zeor.bin" + "' does not exist"},
      {{"--options", dir / "rec.opts"}, folderRefused},
      {{"--options", dir / "rec.opts", "--dialog-script", dir / "ok.script"}, folderRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> command = {RenderPath(), "--frames", "2"};
    command.insert(command.end(), c.args.begin(), c.args.end());
    command.push_back(dir / "x.DCP");
    auto r = RunCommand(command);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "x")) << "a package folder was made";
  }
  EXPECT_FALSE(FileExists(dir / "zeor.bin"));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "rec.opts"));
  // A rate finer than the host keeps is not rounded to a whole one.
  auto fine = RunCommand({RenderPath(), "--fps", "24.0004", "--frames", "2", dir / "x.DCP"});
  EXPECT_EQ(fine.status, 2);
  EXPECT_NE(fine.err.find("--fps: '24.0004' is finer than a thousandth"), std::string::npos) << fine.err;
}

// Reels under one second are refused by verifiers and cinema servers: the
// user is told at the start, and the package is made as asked.
TEST(RenderProgram, ACompositionShorterThanOneSecondIsRenderedWithAWarning) {
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    bool warned;
  } cases[] = {{{"--frames", "2"}, true}, {{"--fps", "25", "--frames", "24"}, true}, {{"--frames", "24"}, false}};
  for (const auto& c : cases) {
    // Under a sanitizer the short render alone: where the second lies is the
    // plain build's to check.
    if (kSanitized && &c != &cases[0]) break;
    std::vector<std::string> command = {RenderPath(), "--threads", "4"};
    command.insert(command.end(), c.args.begin(), c.args.end());
    command.push_back(dir / "x.DCP");
    auto r = RunCommand(command);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("render done"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("shorter than one second: verifiers and cinema servers refuse") != std::string::npos, c.warned)
        << r.err;
  }
}

TEST(RenderProgram, RefusesAnOptionsFileThatIsNoStoredRecordAndLeavesItAsItIs) {
  TempDir dir;
  // Too short, noise of the record's size (whose first bytes are no version
  // 7), and a record of another layout version.
  std::vector<uint8_t> noise(11688);
  for (size_t k = 0; k < noise.size(); ++k) noise[k] = static_cast<uint8_t>((k * 2654435761u) >> 13);
  noise[0] = 0x9c;
  std::vector<uint8_t> version6(11688, 0);
  version6[0] = 6;
  const struct {
    std::vector<uint8_t> bytes;
    const char* why;
  } files[] = {{std::vector<uint8_t>(100, 'x'), "it holds 100 bytes, a record 11688"},
               {noise, "its layout version is "},
               {version6, "its layout version is 6, not 7"}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.why);
    const std::string options = dir / "options.bin";
    WriteBytes(options, file.bytes);
    auto r = RunCommand({RenderPath(), "--frames", "1", "--options", options, dir / "x.DCP"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the options file '" + options + "' is not a stored options record: " + file.why),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadBytes(options), file.bytes);
    EXPECT_FALSE(FileExists(dir / "x"));  // nothing rendered
  }
}

TEST(RenderProgram, RendersAMovieInput) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // A second; three frames under a sanitizer, which the reader, its scaler
  // and its reading ahead take their turns on as on a second's.
  const std::string seconds = kSanitized ? "0.125" : "1", frames = kSanitized ? "3" : "24";
  auto made = RunCommand(
      {"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=24:duration=" + seconds, "-f", "lavfi",
       "-i", "sine=frequency=440:duration=" + seconds, "-c:v", "ffv1", "-c:a", "pcm_s16le", dir / "in.mkv"});
  ASSERT_EQ(made.status, 0) << made.err;
  auto r = RunCommand({RenderPath(), "--input", dir / "in.mkv", "--size", "2048x1080", "--depth", "8", "--threads", "2",
                       dir / "m.DCP"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadText(dir / "m.log")
                .find("composition \"m\" 2048x1080, 24.000 fps, " + frames + " frames, 8 bits per channel"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("render done: " + frames + " of " + frames + " frames"), std::string::npos) << r.err;
}

namespace {

// Picture `index` of a sequence shows its number: eight vertical stripes, a
// white one, six bits of the number (white for 1, most significant first)
// and a black one.
constexpr int kStripes = 8;

std::vector<uint8_t> NumberedPicture(int index, int width, int height) {
  std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<uint8_t> ppm(header.begin(), header.end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int stripe = x * kStripes / width;
      const bool white = stripe == 0 || (stripe < kStripes - 1 && ((index >> (kStripes - 2 - stripe)) & 1));
      for (int c = 0; c < 3; ++c) ppm.push_back(white ? 255 : 0);
    }
  return ppm;
}

// The number a decoded grey picture shows, or -1 when its marks are not there.
int PictureNumber(const uint8_t* grey, int width, int height) {
  const uint8_t* row = grey + static_cast<size_t>(height / 2) * width;
  auto white = [&](int stripe) { return row[(2 * stripe + 1) * width / (2 * kStripes)] > 128; };
  if (!white(0) || white(kStripes - 1)) return -1;
  int number = 0;
  for (int stripe = 1; stripe < kStripes - 1; ++stripe) number = number * 2 + (white(stripe) ? 1 : 0);
  return number;
}

}  // namespace

TEST(RenderProgram, AnImageSequenceGivesEachPictureOneFrameAtAnyRate) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // Under a sanitizer, three, which the sequence's reader reads ahead as it
  // reads more: the timing is the plain build's to check.
  constexpr int kPictures = kSanitized ? 3 : 48;
  std::filesystem::create_directory(dir / "frames");
  for (int k = 0; k < kPictures; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "/in%03d.ppm", k + 1);
    WriteBytes(dir / "frames" + name, NumberedPicture(k, 96, 54));
  }
  auto png = RunCommand(
      {"ffmpeg", "-v", "error", "-i", dir / "frames/in%03d.ppm", "-start_number", "1", dir / "frames/in%03d.png"});
  ASSERT_EQ(png.status, 0) << png.err;
  for (int k = 1; k <= kPictures; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "/in%03d.ppm", k);
    std::filesystem::remove(dir / "frames" + name);
  }

  for (const char* fps : {"24", "25", "30"}) {
    SCOPED_TRACE(std::string(fps) + " fps");
    const std::string out = dir / (std::string("seq") + fps);
    auto r = RunCommand({RenderPath(), "--input", dir / "frames/in%03d.png", "--fps", fps, "--size", "1998x1080",
                         "--depth", "8", out + ".DCP"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string frames = std::to_string(kPictures);
    EXPECT_NE(r.err.find("render done: " + frames + " of " + frames + " frames"), std::string::npos) << r.err;
    std::string mxf;
    for (const auto& entry : std::filesystem::directory_iterator(out))
      if (entry.path().filename().string().rfind("j2c_", 0) == 0) mxf = entry.path().string();
    ASSERT_FALSE(mxf.empty());
    constexpr int kWidth = 96, kHeight = 54;
    // Decoded at a sixteenth of the size, which is all the stripes need.
    auto decoded = RunCommand({"ffmpeg", "-v", "error", "-lowres", "4", "-i", mxf, "-map", "0:v", "-vf",
                               "scale=96:54:flags=area", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    ASSERT_EQ(decoded.out.size(), static_cast<size_t>(kPictures) * kWidth * kHeight);
    for (int k = 0; k < kPictures; ++k) {
      const auto* grey = reinterpret_cast<const uint8_t*>(decoded.out.data()) +
                         static_cast<size_t>(k) * kWidth * kHeight;
      EXPECT_EQ(PictureNumber(grey, kWidth, kHeight), k) << "frame " << k;
    }
  }
}

TEST(RenderProgram, RealModuleRegistersAndKeepsTheSuitesBalanced) {
  HostSettings s;
  s.comp.width = 2048;
  s.comp.height = 1080;
  s.comp.frames = 3;
  s.echo = false;
  RenderHost host(s);
  host.Load(PluginPath());
  ASSERT_EQ(host.CallEntryPoint(), 0);
  ASSERT_TRUE(host.Registered());
  EXPECT_EQ(host.module_info().sig, AE_FourCC("DCP_"));
  int filled = 0;
  for (int i = 0; i < AEIO_FUNCTION_BLOCK_SLOTS; ++i) filled += AEIO_FunctionBlockSlot(host.functions(), i) != nullptr;
  EXPECT_EQ(filled, 21);
  ASSERT_EQ(host.InitOutputSpec(), 0);
  auto source = MakePatternSource();
  EXPECT_EQ(host.Render(*source), 0);
  host.Finish();
  EXPECT_EQ(host.state().problems, std::vector<std::string>{});
  for (const auto& call : host.calls())
    for (const auto& [key, count] : call.suites) EXPECT_EQ(count.acquired, count.released) << call.callback;
}

TEST(RenderProgram, ADocumentThatCannotBeWrittenFailsTheRenderAndLeavesNoDocuments) {
  TempDir dir;
  const std::string folder = dir / "P";
  std::atomic<bool> done{false};
  CommandResult r;
  std::thread render([&] {
    // Frames enough for the folder to be blocked before the documents are
    // written: two where the sanitizer slows each down.
    r = RunCommand({RenderPath(), "--frames", kSanitized ? "2" : "6", "--threads", "1", dir / "P.DCP"});
    done = true;
  });
  // Once the render has opened its picture track file, a folder takes the
  // asset map's name (Interop at 24 fps: "ASSETMAP").
  bool blocked = false;
  while (!done && !blocked) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
      if (entry.path().filename().string().rfind("j2c_", 0) == 0)
        blocked = std::filesystem::create_directory(folder + "/ASSETMAP", ec);
    if (!blocked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  render.join();
  ASSERT_TRUE(blocked) << "the render ended before its package folder was seen\n" << r.err;
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("Cannot write file: " + folder + "/ASSETMAP: Is a directory"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("the render failed with error 9997"), std::string::npos) << r.err;
  // The track files and the folder that was in the way, no document.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    left.push_back(name.substr(0, 4) == "j2c_" || name.substr(0, 4) == "pcm_" ? name.substr(0, 4) : name);
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"ASSETMAP", "j2c_", "pcm_"}));
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/ASSETMAP"));
}

TEST(RenderProgram, AnOutputPathTooLongIsRefusedByName) {
  TempDir dir;
  const std::string output = dir / std::string(260 - dir.path().size() - 1 - 4, 'a') + ".DCP";
  auto r = RunCommand({RenderPath(), "--frames", "2", output});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("The output path is too long (260 bytes; at most 259 are supported): " + output),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("the render failed with error 9993"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(output.substr(0, output.size() - 4)));
}

// The log beside the package: a render that does not begin leaves a file of
// the log's name as it was, one that begins replaces it, and a link of that
// name is refused rather than written through.
TEST(RenderProgram, TheLogBesideThePackageIsReplacedOnlyByARenderThatBegins) {
  TempDir dir;
  const std::string mine = "the user's own file\n";
  WriteText(dir / "plain", "a file where the package folder goes\n");
  std::vector<uint8_t> record(11688, 0);  // a bit rate of 0 Mbit/s, which the start refuses
  record[0] = 7;
  record[1480] = 1;
  WriteBytes(dir / "zero.bin", record);
  WriteText(dir / "target.txt", mine);
  std::filesystem::create_symlink("target.txt", dir / "linked.log");
  const struct {
    std::vector<std::string> args;
    std::string output, log, message;
    bool renders;
  } cases[] = {
      {{}, "plain.DCP", "plain.log", "Sorry cannot remove this", false},
      {{"--options", dir / "zero.bin"}, "check.DCP", "check.log", "The bit rate is 0 Mbit/s", false},
      {{}, "noext", "noext.log", "The output path names no package folder", false},
      {{}, "linked.DCP", "linked.log", "is a symbolic link, which the log is not written through", false},
      {{}, "ran.DCP", "ran.log", "render done: 1 of 1 frames", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    const bool linked = std::filesystem::is_symlink(dir / c.log);
    if (!linked && c.output != "noext") WriteText(dir / c.log, mine);
    std::vector<std::string> command = {RenderPath(), "--frames", "1", "--size", "2048x858", "--threads", "2"};
    command.insert(command.end(), c.args.begin(), c.args.end());
    command.push_back(dir / c.output);
    auto r = RunCommand(command);
    EXPECT_EQ(r.status == 0, c.renders) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::is_symlink(dir / c.log), linked);
    const std::string log = ReadText(dir / c.log);
    EXPECT_EQ(log == mine, !c.renders && c.output != "noext") << log;
    if (c.renders) {
      EXPECT_EQ(log.rfind("lumavox-render: composition \"ran\"", 0), 0u) << log;
    }
  }
  EXPECT_FALSE(FileExists(dir / "n.log"));  // "noext" less four characters
  EXPECT_NE(ReadText(dir / "noext.log").find("My_StartAdding"), std::string::npos);
}

// The options record is stored into the file a link leads to, and no file
// of the user's beside it is taken for the scratch copy.
TEST(RenderProgram, OptionsAreStoredThroughLinksAndOverNoOtherFile) {
  TempDir dir;
  WriteText(dir / "film.opts.new", "the user's own file\n");
  ASSERT_EQ(MakeOptionsFile(dir / "film.opts").status, 0);
  EXPECT_EQ(ReadText(dir / "film.opts.new"), "the user's own file\n");
  EXPECT_EQ(ReadBytes(dir / "film.opts").size(), 11688u);

  // Two relative links to a record not made yet, then to the one made.
  std::filesystem::create_directory(dir / "records");
  std::filesystem::create_symlink("records/chain", dir / "linked.opts");
  std::filesystem::create_symlink("film.opts", dir / "records/chain");
  for (int run = 0; run < 2; ++run) {
    auto made = MakeOptionsFile(dir / "linked.opts");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "linked.opts"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "records/chain"));
    EXPECT_EQ(ReadBytes(dir / "records/film.opts").size(), 11688u);
    std::error_code ec;
    if (run == 0) std::filesystem::permissions(dir / "records/film.opts", std::filesystem::perms(0640), ec);
  }
  EXPECT_EQ(std::filesystem::status(dir / "records/film.opts").permissions(), std::filesystem::perms(0640));
  const std::filesystem::directory_iterator records(dir / "records");
  EXPECT_EQ(std::distance(begin(records), end(records)), 2);  // no scratch file left
}

TEST(RenderProgram, TwoOutputsMakeTheFirstPackageAndNameTheRefusedSecond) {
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  TempDir dir;
  // A second for the checkers; a few frames under a sanitizer.
  const CommandResult r = RunCommand(
      {RenderPath(), "--frames", kSanitized ? "3" : "24", "--threads", "2", dir / "A.DCP", dir / "B.DCP"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(
      r.err.find(dir / "B.DCP" + ": not rendered: its start failed with error 9993:\nOne DCP is rendered at a time"),
      std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("package: " + dir / "A\n"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir / "B"));
  if (!kSanitized) {
    EXPECT_EQ(JoinLines(DcpVerifyErrors(dir / "A", true)), "");
    const CommandResult clair = ClairMetaCheck(dir / "A");
    EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
  }
}
