#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "host/command_line.h"
#include "host/composition.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "lumavox-render");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), "/opt/lv/bin/lumavox-render");
}

std::string ParseError(const std::vector<const char*>& args) {
  try {
    Parse(args);
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "(accepted)";
}

}  // namespace

TEST(CommandLine, DefaultsAndEveryOption) {
  CommandLine d = Parse({"out/My Film.DCP"});
  EXPECT_EQ(d.outputs, std::vector<std::string>{"out/My Film.DCP"});
  EXPECT_EQ(d.name, "My Film");
  EXPECT_EQ(d.depth, 16);
  EXPECT_EQ(d.threads, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
  EXPECT_EQ(d.plugin, "/opt/lv/bin/" LUMAVOX_DEFAULT_PLUGIN);
  Composition c = ResolveComposition(d, nullptr);
  EXPECT_EQ(c.width, 1998);
  EXPECT_EQ(c.height, 1080);
  EXPECT_EQ(c.FrameRateFixed(), 24 << 16);
  EXPECT_EQ(c.frames, 240);
  EXPECT_EQ(c.SoundSeconds(), 10);

  CommandLine a = Parse({"--input", "a%03d.png", "--size", "3996x1080", "--fps=25", "--frames", "61", "--name",
                         "Reel 1", "--depth", "8", "--threads", "33", "--options", "o.bin", "--plugin", "/p.so",
                         "x.DCP"});
  EXPECT_EQ(a.input, "a%03d.png");
  EXPECT_EQ(a.name, "Reel 1");
  EXPECT_EQ(a.threads, 33);
  EXPECT_EQ(a.options_file, "o.bin");
  EXPECT_EQ(a.plugin, "/p.so");
  c = ResolveComposition(a, nullptr);
  EXPECT_EQ(c.width, 3996);
  EXPECT_EQ(c.depth, 8);
  EXPECT_EQ(c.frames, 61);
  EXPECT_EQ(c.SoundSeconds(), 3);  // 2.44 s of picture touches three seconds

  // A decimal rate keeps its fraction; seconds become frames at that rate.
  c = ResolveComposition(Parse({"--fps", "23.976", "--seconds", "2", "x.DCP"}), nullptr);
  EXPECT_EQ(c.FrameRateFixed(), 1571291);  // 23.976 * 65536 rounded
  EXPECT_EQ(c.frames, 48);
  c = ResolveComposition(Parse({"--fps", "24.500", "x.DCP"}), nullptr);
  EXPECT_EQ(c.FrameRateFixed(), 49 << 15);  // the half kept, not cut to 24
  EXPECT_EQ(Parse({"--threads", "0", "x.DCP"}).threads, 0);

  // The input's values fill what the command line leaves open; another rate
  // keeps the input's length in time.
  MediaInfo in;
  in.width = 320, in.height = 240, in.fps_num = 30, in.fps_den = 1, in.seconds = 2, in.frames = 60;
  c = ResolveComposition(Parse({"x.DCP"}), &in);
  EXPECT_EQ(c.width, 320);
  EXPECT_EQ(c.frames, 60);
  c = ResolveComposition(Parse({"--fps", "24", "x.DCP"}), &in);
  EXPECT_EQ(c.frames, 48);
  // Numbered images, which the file reader times at 25 per second, are one
  // frame each at 24 unless --fps says otherwise.
  MediaInfo images;
  images.width = 320, images.height = 240, images.fps_num = 25, images.fps_den = 1, images.seconds = 2.4;
  images.frames = 60, images.image_sequence = true;
  c = ResolveComposition(Parse({"x.DCP"}), &images);
  EXPECT_EQ(c.FrameRateFixed(), 24 << 16);
  EXPECT_EQ(c.frames, 60);
  c = ResolveComposition(Parse({"--fps", "25", "x.DCP"}), &images);
  EXPECT_EQ(c.FrameRateFixed(), 25 << 16);
  EXPECT_EQ(c.frames, 60);
}

TEST(CommandLine, BadArgumentsNameTheProblem) {
  EXPECT_NE(ParseError({}).find("no output"), std::string::npos);
  EXPECT_NE(ParseError({"--frobnicate", "x.DCP"}).find("unknown option '--frobnicate'"), std::string::npos);
  EXPECT_NE(ParseError({"--depth", "12", "x.DCP"}).find("--depth must be 8 or 16"), std::string::npos);
  EXPECT_NE(ParseError({"--size", "1998", "x.DCP"}).find("--size"), std::string::npos);
  EXPECT_NE(ParseError({"--size", "0x1080", "x.DCP"}).find("out of range"), std::string::npos);
  EXPECT_NE(ParseError({"--fps", "abc", "x.DCP"}).find("not a number"), std::string::npos);
  EXPECT_NE(ParseError({"--fps", "-24", "x.DCP"}).find("--fps"), std::string::npos);
  EXPECT_NE(ParseError({"--fps", "24.0001", "x.DCP"}).find("finer than a thousandth"), std::string::npos);
  EXPECT_NE(ParseError({"--fps", "2.45e1", "x.DCP"}).find("not a plain decimal number"), std::string::npos);
  EXPECT_NE(ParseError({"--seconds", "2", "--frames", "4", "x.DCP"}).find("not both"), std::string::npos);
  EXPECT_NE(ParseError({"--threads", "many", "x.DCP"}).find("not a whole number"), std::string::npos);
  EXPECT_NE(ParseError({"x.DCP", ""}).find("an empty OUTPUT"), std::string::npos);
  EXPECT_NE(ParseError({"x.DCP", "--input"}).find("--input needs a value"), std::string::npos);
}

TEST(CommandLine, ProgramHelpAndErrors) {
  auto help = RunCommand({RenderPath(), "--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--input", "--size", "--fps", "--seconds", "--frames", "--name", "--depth", "--threads",
                             "--options", "--plugin", "OUTPUT.DCP"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;

  auto bad = RunCommand({RenderPath(), "--depth", "10", "x.DCP"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--depth must be 8 or 16"), std::string::npos) << bad.err;

  TempDir dir;
  auto missing = RunCommand({RenderPath(), "--input", dir / "none.mov", dir / "x.DCP"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.mov"), std::string::npos) << missing.err;
}

TEST(CommandLine, DialogOptionsAndTheLogBesideThePackage) {
  CommandLine script = Parse({"--dialog-script", "-", "--verbose", "out/film.DCP"});
  EXPECT_TRUE(script.dialog);
  EXPECT_EQ(script.dialog_script, "-");
  EXPECT_TRUE(script.verbose);
  // The dialog alone: no output, the record stored in the options file.
  CommandLine alone = Parse({"--dialog", "--options", "film.opts"});
  EXPECT_TRUE(alone.dialog);
  EXPECT_TRUE(alone.outputs.empty());
  EXPECT_NE(ParseError({"--dialog"}).find("no output"), std::string::npos);
  EXPECT_NE(ParseError({"--options", "film.opts"}).find("no output"), std::string::npos);
  EXPECT_NE(ParseError({"--dialog-script", "", "x.DCP"}).find("--dialog-script needs a file name"), std::string::npos);
  EXPECT_EQ(LogFilePath("/work/out/film.DCP"), "/work/out/film.log");
  EXPECT_EQ(LogFilePath("/work/out/film.dcp"), "/work/out/film.log");

  auto help = RunCommand({RenderPath(), "--help"});
  for (const char* text : {"--dialog ", "--dialog-script FILE", "--verbose", "answer BUTTON", "time left"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
}
