// The libraries lumavox-render loads only when it needs them: FFmpeg's
// readers for inputs other than PNG sequences it reads itself, and GTK for
// windows on a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/media_input.h"
#include "host/media_library.h"
#include "host/window_presenter.h"
#include "tests/host/test_movie.h"
#include "tests/support/checkers.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

// The program, the plug-in and the window layer copied alone into `dir`:
// without the libraries it loads on demand.
std::string ProgramAlone(const TempDir& dir) {
  for (const std::string file : {"lumavox-render", "Lumavox.so", "liblumavox_win.so"})
    std::filesystem::copy_file(std::string(LUMAVOX_BIN_DIR) + "/" + file, dir / file);
  return dir / "lumavox-render";
}

}  // namespace

TEST(LoadedLibraries, TheMediaLibraryFileReadsAsTheLinkedReaders) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::string movie = MakeTestMovie(dir);
  const MediaLibrary& loaded = LoadMediaLibrary(std::string(LUMAVOX_BIN_DIR) + "/" + LUMAVOX_MEDIA_LIBRARY);
  ASSERT_NE(&loaded, &Media());
  std::unique_ptr<FfmpegInput> from_file = loaded.Open(movie, nullptr);
  std::unique_ptr<FfmpegInput> linked = Media().Open(movie, nullptr);
  EXPECT_EQ(from_file->info().frames, 48);
  EXPECT_EQ(from_file->info().width, linked->info().width);
  EXPECT_EQ(from_file->info().seconds, linked->info().seconds);
  EXPECT_TRUE(from_file->info().has_sound);
  HostFrame a, b;
  a.Allocate(32, 24, 16);
  b.Allocate(32, 24, 16);
  from_file->RenderFrame(5, a);
  linked->RenderFrame(5, b);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(from_file->Sound(1000, 480), linked->Sound(1000, 480));

  try {
    LoadMediaLibrary(dir / "liblumavox_media.so");
    ADD_FAILURE() << "loaded a missing library";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("cannot load the media library '" + dir / "liblumavox_media.so" + "'"),
              std::string::npos)
        << e.what();
  }
}

// NOLINTBEGIN(concurrency-mt-unsafe): the test's own thread alone reads the environment
TEST(LoadedLibraries, WithoutADisplayTheWindowLibraryIsNotLoaded) {
  TempDir dir;
  const std::string missing = dir / "liblumavox_gtk.so";
  const char* before = std::getenv("DISPLAY");
  const std::string display = before ? before : "";
  unsetenv("DISPLAY");
  std::string why;
  if (std::getenv("WAYLAND_DISPLAY") == nullptr) {
    EXPECT_EQ(OpenWindowPresenter(missing, &why), nullptr);
    EXPECT_EQ(why, "DISPLAY is not set");
  }
  setenv("DISPLAY", ":97", 1);
  try {
    OpenWindowPresenter(missing, &why);
    ADD_FAILURE() << "loaded a missing library";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("'" + missing + "'"), std::string::npos) << e.what();
  }
  if (before) setenv("DISPLAY", display.c_str(), 1);
  else unsetenv("DISPLAY");
}
// NOLINTEND(concurrency-mt-unsafe)

TEST(LoadedLibraries, TheProgramStartsWithoutFfmpegOrGtkAndLoadsThemWhenNeeded) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  if (!kSanitized) {
    LUMAVOX_REQUIRE_CHECKERS();
  }
  // What the dynamic loader brings in before the program runs.
  char trace[] = "LD_TRACE_LOADED_OBJECTS=1";
  char* trace_env[] = {trace, nullptr};
  auto started = RunCommandWithEnvironment({RenderPath()}, trace_env);
  ASSERT_EQ(started.status, 0) << started.err;
  EXPECT_NE(started.out.find("liblumavox_win.so"), std::string::npos) << started.out;
  for (const char* library : {"libavformat", "libavcodec", "libswscale", "libgtk", "libgdk"})
    EXPECT_EQ(started.out.find(library), std::string::npos) << started.out;

  // A PNG sequence of the composition's size renders without FFmpeg's readers.
  TempDir dir;
  const std::string program = ProgramAlone(dir);
  auto made = RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=1998x1080", "-frames:v", "2",
                          "-pix_fmt", "rgb48be", dir / "in%02d.png"});
  ASSERT_EQ(made.status, 0) << made.err;
  // A second of frames (the last picture held), the shortest package that
  // the field's checkers pass; under a sanitizer, three, the last held, and
  // the plain build checks the package.
  const std::string frames = kSanitized ? "3" : "24";
  auto rendered = RunCommand(
      {program, "--input", dir / "in%02d.png", "--fps", "24", "--frames", frames, "--threads", "4", dir / "r.DCP"});
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  EXPECT_NE(rendered.err.find("render done: " + frames + " of " + frames + " frames"), std::string::npos)
      << rendered.err;
  if (!kSanitized) {
    EXPECT_EQ(JoinLines(DcpVerifyErrors(dir / "r", false)), "");
    CommandResult clair = ClairMetaCheck(dir / "r");
    EXPECT_EQ(clair.status, 0) << clair.out << clair.err;
  }

  // A movie needs them: the program says which file it could not load.
  auto movie = RunCommand({program, "--input", MakeTestMovie(dir), dir / "m.DCP"});
  EXPECT_EQ(movie.status, 2);
  EXPECT_NE(movie.err.find("cannot load the media library '" + dir / "liblumavox_media.so" + "'"), std::string::npos)
      << movie.err;
  EXPECT_FALSE(FileExists(dir / "m"));

  // So does a display, for the dialogs' windows.
  char display[] = "DISPLAY=:97";
  char* display_env[] = {display, nullptr};
  auto windows = RunCommandWithEnvironment({program, "--frames", "2", dir / "w.DCP"}, display_env);
  EXPECT_EQ(windows.status, 2);
  EXPECT_NE(windows.err.find("cannot load the window library '" + dir / "liblumavox_gtk.so" + "'"), std::string::npos)
      << windows.err;
  EXPECT_FALSE(FileExists(dir / "w"));
}
