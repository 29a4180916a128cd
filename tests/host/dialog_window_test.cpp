// lumavox-render --dialog on a real X server: xdotool plays the user on the
// GTK window, as a person at the desktop would, and the stored record tells
// what the dialog took in. The test starts and stops its own Xvfb, and
// writes a picture of each page into the build tree's screenshots folder.
// A display that cannot be opened leaves the dialogs on the terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/window_presenter.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/window.h"
#include "plugin/output_options.h"
#include "tests/host/display_pixels.h"
#include "tests/host/program_here.h"
#include "tests/support/test_support.h"

extern char** environ;

using namespace lumavox_test;

namespace {

// A program running beside the test, ended (if still running) at the end.
class Background {
 public:
  // Output goes to `log`; descriptors without close-on-exec are inherited.
  Background(const std::vector<std::string>& argv, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Background() {
    if (pid_ > 0 && !Exited(std::chrono::seconds(0))) {
      kill(pid_, SIGTERM);
      if (!Exited(std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        Exited(std::chrono::seconds(5));
      }
    }
  }
  // Waits at most `limit` for the program's end; its exit status then.
  bool Exited(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (status_ < -1) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        break;
      }
      if (done < 0 || std::chrono::steady_clock::now() >= end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return status_ >= -1;
  }
  int status() const { return status_; }

 private:
  pid_t pid_ = -1;
  int status_ = -2;  // still running
};

// An X server of the test's own, on a display number it picks itself.
class VirtualDisplay {
 public:
  VirtualDisplay(const std::string& log) {
    int fds[2];
    if (pipe(fds) != 0) return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    server_ = std::make_unique<Background>(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]),
                                                                    "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                                           log);
    close(fds[1]);
    pollfd p = {fds[0], POLLIN, 0};
    std::string number;
    char c = 0;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  const std::string& name() const { return display_; }

 private:
  std::unique_ptr<Background> server_;
  std::string display_;
};

// The template's dialog units in the window's pixels, as the dialog layer
// maps them (8-point dialog font: 6 by 13 pixels for 4 by 8 units).
int X(double units) { return static_cast<int>(units * 6 / 4); }
int Y(double units) { return static_cast<int>(units * 13 / 8); }
// A page's controls stand 20 and 100 pixels into the options dialog.
int PageX(double units) { return 20 + X(units); }
int PageY(double units) { return 100 + Y(units); }

class Desktop {
 public:
  explicit Desktop(const std::string& display) : display_(display) {}

  CommandResult Tool(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"timeout", "20", "env", "DISPLAY=" + display_});
    return RunCommand(argv);
  }
  // The id of the first window of the program that is shown.
  std::string WaitForWindow(const std::string& name) {
    CommandResult r = Tool({"xdotool", "search", "--sync", "--onlyvisible", "--name", name});
    return r.out.substr(0, r.out.find('\n'));
  }
  std::vector<std::string> Windows() {
    CommandResult r = Tool({"xdotool", "search", "--onlyvisible", "--class", "lumavox-render"});
    std::vector<std::string> ids;
    for (size_t start = 0; start < r.out.size();) {
      size_t end = r.out.find('\n', start);
      if (end == std::string::npos) end = r.out.size();
      if (end > start) ids.push_back(r.out.substr(start, end - start));
      start = end + 1;
    }
    return ids;
  }
  void Click(const std::string& window, int x, int y) {
    Tool({"xdotool", "mousemove", "--sync", "--window", window, std::to_string(x), std::to_string(y), "click", "1"});
  }
  // Keys go where the pointer is: there is no window manager to give focus.
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> argv{"xdotool", "key", "--delay", "30"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    Tool(argv);
  }
  void Type(const std::string& text) { Tool({"xdotool", "type", "--delay", "30", text}); }

  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
  };
  Geometry Place(const std::string& window) {
    // The dialogs do not move once shown.
    auto known = places_.find(window);
    if (known != places_.end()) return known->second;
    Geometry g;
    CommandResult r = Tool({"xdotool", "getwindowgeometry", "--shell", window});
    std::sscanf(r.out.c_str() + r.out.find("X="), "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y, &g.width, &g.height);
    if (g.width > 0) places_[window] = g;
    return g;
  }
  // The window's picture, as RGB bytes.
  std::string Grab(const std::string& window) {
    const Geometry g = Place(window);
    return host_test::DisplayPixels(display_, g.x, g.y, g.width, g.height);
  }
  // Keeps the window's picture for WritePictures to write to the file `png`.
  void Keep(const std::string& window, const std::string& png) {
    WriteText(png + ".rgb", Grab(window));
    kept_.push_back({png, Place(window)});
  }
  // Writes the pictures kept, in one run of ffmpeg (which takes a good part
  // of a second to start).
  void WritePictures() {
    std::vector<std::string> argv{"ffmpeg", "-v", "error", "-y"};
    for (const auto& [png, g] : kept_) {
      argv.insert(argv.end(), {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                               std::to_string(g.width) + "x" + std::to_string(g.height), "-i", png + ".rgb"});
    }
    for (size_t k = 0; k < kept_.size(); ++k) argv.insert(argv.end(), {"-map", std::to_string(k), kept_[k].first});
    const CommandResult r = RunCommand(argv);
    EXPECT_EQ(r.status, 0) << r.err;
    for (const auto& kept : kept_) std::filesystem::remove(kept.first + ".rgb");
    kept_.clear();
  }
  // Waits (at most ten seconds) until the window shows something other
  // than `before` and has not changed for 150 ms: GTK draws what the user
  // did within a frame or two of some 16 ms.
  std::string Settled(const std::string& window, const std::string& before) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string last = Grab(window);
    auto since = std::chrono::steady_clock::now();  // when `last` was first seen
    while (since < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      std::string now = Grab(window);
      const auto at = std::chrono::steady_clock::now();
      if (now != last || now == before) {
        since = at;
      } else if (at - since >= std::chrono::milliseconds(150)) {
        return now;
      }
      last = std::move(now);
    }
    ADD_FAILURE() << "the window did not change or did not settle";
    return last;
  }

 private:
  std::string display_;
  std::map<std::string, Geometry> places_;
  std::vector<std::pair<std::string, Geometry>> kept_;  // the pictures' files and places
};

// lumavox-render on the display; under the leak checker the window
// system's own lasting allocations are not counted. GTK's settings in `dir`
// turn its animations and the cursor's blinking off, so that a window
// settles once it has drawn what the user did.
std::vector<std::string> ProgramOnDisplay(const std::string& display, const std::string& stored, const TempDir& dir) {
  std::filesystem::create_directories(dir / "gtk-3.0");
  WriteText(dir / "gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=0\ngtk-cursor-blink=0\n");
  return {"env",
          "DISPLAY=" + display,
          "XDG_CONFIG_HOME=" + dir.path(),
          "LSAN_OPTIONS=suppressions=" + SourceDir() + "/tests/host/window_system_leaks.supp",
          RenderPath(),
          "--dialog",
          "--options",
          stored};
}

OutputOptions Record(const std::string& path) {
  OutputOptions o{};
  const std::vector<uint8_t> bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), sizeof o);
  std::memcpy(&o, bytes.data(), std::min(bytes.size(), sizeof o));
  return o;
}

// Button centres of the options dialog, in its pixels.
const int kOk[2] = {X(259), Y(332)};
const int kCancel[2] = {X(314), Y(332)};
int PageButton(int index) {
  const int left[5] = {7, 60, 112, 163, 215};
  return X(left[index] + 25);
}
const int kPageButtonY = Y(43.5);

// The darkest grey along the middle third of the top edge (three rows of
// pixels) of a 50-unit-wide button at (left, top) in dialog units, in a
// window's picture from Grab.
int TopEdgeDarkest(const std::string& rgb, int width, double left, double top) {
  int darkest = 255;
  for (int y = Y(top); y < Y(top) + 3; ++y) {
    for (int x = X(left + 50.0 / 3); x < X(left + 100.0 / 3); ++x) {
      const size_t at = (static_cast<size_t>(y) * width + x) * 3;
      if (at + 3 > rgb.size()) return -1;
      const auto* p = reinterpret_cast<const unsigned char*>(rgb.data() + at);
      darkest = std::min(darkest, (p[0] + p[1] + p[2]) / 3);
    }
  }
  return darkest;
}

// The window of the program that is not `window`, once it shows.
std::string OtherWindow(Desktop& desktop, const std::string& window) {
  for (int i = 0; i < 100; ++i) {
    for (const std::string& id : desktop.Windows()) {
      if (id != window) return id;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return "";
}

}  // namespace

TEST(DialogWindow, XdotoolSetsPackingAndTitleInTheWindowAndCancelKeepsTheRecord) {
  for (const char* tool : {"Xvfb", "xdotool", "ffmpeg", "timeout"}) LUMAVOX_REQUIRE_TOOL(tool);
  TempDir dir;
  VirtualDisplay display(dir / "xvfb.log");
  ASSERT_FALSE(display.name().empty()) << ReadText(dir / "xvfb.log");
  Desktop desktop(display.name());
  const std::string shots = std::string(LUMAVOX_BIN_DIR) + "/../screenshots";
  std::filesystem::create_directories(shots);
  const std::string stored = dir / "options.bin";

  {
    Background program(ProgramOnDisplay(display.name(), stored, dir), dir / "first.log");
    const std::string window = desktop.WaitForWindow("Lumavox");
    ASSERT_FALSE(window.empty()) << ReadText(dir / "first.log");
    std::string screen = desktop.Settled(window, "");
    desktop.Keep(window, shots + "/options-general.png");

    // The Video page: X'Y'Z' turned off.
    desktop.Click(window, PageButton(1), kPageButtonY);
    screen = desktop.Settled(window, screen);
    desktop.Keep(window, shots + "/options-video.png");
    desktop.Click(window, PageX(12), PageY(35));
    screen = desktop.Settled(window, screen);

    // The Audio page with external files in 7.1, every row shown.
    desktop.Click(window, PageButton(2), kPageButtonY);
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(96), PageY(17) + 10);
    desktop.Keys({"Up", "Return"});
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(96), PageY(34) + 10);
    desktop.Keys({"Down", "Down", "Return"});
    screen = desktop.Settled(window, screen);
    desktop.Keep(window, shots + "/options-audio.png");

    // The Subtitle page, subtitles on; the About page.
    desktop.Click(window, PageButton(3), kPageButtonY);
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(30), PageY(22));
    screen = desktop.Settled(window, screen);
    desktop.Keep(window, shots + "/options-subtitle.png");
    desktop.Click(window, PageButton(4), kPageButtonY);
    screen = desktop.Settled(window, screen);
    desktop.Keep(window, shots + "/options-about.png");

    // The General page: the composition name off, the title builder seen
    // and cancelled, a title typed, SMPTE chosen.
    desktop.Click(window, PageButton(0), kPageButtonY);
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(55), PageY(17));
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(286), PageY(34));
    const std::string builder = OtherWindow(desktop, window);
    ASSERT_FALSE(builder.empty()) << "the title builder did not open";
    desktop.Settled(builder, "");
    desktop.Keep(builder, shots + "/title-builder.png");
    desktop.Click(builder, X(272), Y(304));  // its Cancel
    screen = desktop.Settled(window, screen);

    desktop.Click(window, PageX(154), PageY(34));
    desktop.Keys({"ctrl+a"});
    desktop.Type("XDO TITLE");
    screen = desktop.Settled(window, screen);
    desktop.Click(window, PageX(165), PageY(79) + 10);
    desktop.Keys({"Down", "Return"});
    screen = desktop.Settled(window, screen);
    desktop.Click(window, kOk[0], kOk[1]);
    ASSERT_TRUE(program.Exited(std::chrono::seconds(20))) << "the program did not end after OK";
    EXPECT_EQ(program.status(), 0) << ReadText(dir / "first.log");
  }
  desktop.WritePictures();
  const OutputOptions o = Record(stored);
  EXPECT_EQ(std::string(o.title), "XDO TITLE");
  EXPECT_EQ(o.packing, 1u);
  EXPECT_EQ(o.useCompName, 0);
  EXPECT_EQ(o.xyzConversion, 0u);
  EXPECT_EQ(o.audioSource, 0u);
  EXPECT_EQ(o.audioLayout, 2u);
  EXPECT_EQ(o.subtitleOn, 1);
  for (const char* page : {"general", "video", "audio", "subtitle", "about"}) {
    EXPECT_TRUE(FileExists(shots + "/options-" + page + ".png")) << page;
  }

  // Changes, then Cancel: the stored record stays as it was.
  const std::vector<uint8_t> before = ReadBytes(stored);
  {
    Background program(ProgramOnDisplay(display.name(), stored, dir), dir / "second.log");
    const std::string window = desktop.WaitForWindow("Lumavox");
    ASSERT_FALSE(window.empty()) << ReadText(dir / "second.log");
    std::string screen = desktop.Settled(window, "");
    desktop.Click(window, PageX(154), PageY(34));
    desktop.Keys({"ctrl+a"});
    desktop.Type("NOT KEPT");
    screen = desktop.Settled(window, screen);
    desktop.Click(window, kCancel[0], kCancel[1]);
    ASSERT_TRUE(program.Exited(std::chrono::seconds(20))) << "the program did not end after Cancel";
    EXPECT_EQ(program.status(), 0) << ReadText(dir / "second.log");
    EXPECT_NE(ReadText(dir / "second.log").find("cancelled"), std::string::npos);
  }
  EXPECT_EQ(ReadBytes(stored), before);
}

// Enter in a single-line edit or a list presses the dialog's default button,
// OK, drawn as the default in the options dialog and the title builder; in
// the multi-line summary it presses nothing. The film title edit takes no
// more than the record holds.
TEST(DialogWindow, EnterPressesOkDrawnAsTheDefault) {
  for (const char* tool : {"Xvfb", "xdotool", "ffmpeg", "timeout"}) LUMAVOX_REQUIRE_TOOL(tool);
  TempDir dir;
  VirtualDisplay display(dir / "xvfb.log");
  ASSERT_FALSE(display.name().empty()) << ReadText(dir / "xvfb.log");
  Desktop desktop(display.name());
  Background program(ProgramOnDisplay(display.name(), dir / "o.bin", dir), dir / "program.log");
  const std::string window = desktop.WaitForWindow("Lumavox");
  ASSERT_FALSE(window.empty()) << ReadText(dir / "program.log");
  std::string screen = desktop.Settled(window, "");
  EXPECT_LT(TopEdgeDarkest(screen, desktop.Place(window).width, 234, 325), 100) << "OK is not drawn as the default";
  EXPECT_GT(TopEdgeDarkest(screen, desktop.Place(window).width, 289, 325), 150) << "Cancel is drawn as the default";

  desktop.Click(window, PageX(150), PageY(150));  // the summary
  desktop.Keys({"Return"});
  desktop.Click(window, PageX(55), PageY(17));  // the composition name off
  screen = desktop.Settled(window, screen);
  desktop.Click(window, PageX(286), PageY(34));
  const std::string builder = OtherWindow(desktop, window);
  ASSERT_FALSE(builder.empty()) << "the title builder did not open";
  const std::string shown = desktop.Settled(builder, "");
  EXPECT_LT(TopEdgeDarkest(shown, desktop.Place(builder).width, 190, 297), 100) << "the builder's OK";
  EXPECT_GT(TopEdgeDarkest(shown, desktop.Place(builder).width, 247, 297), 150) << "the builder's Cancel";
  desktop.Type(std::string(70, 'e'));  // the focus is in the film title edit
  desktop.Settled(builder, shown);
  desktop.Keys({"Return"});
  screen = desktop.Settled(window, screen);
  desktop.Click(window, PageX(84), PageY(79) + 10);  // the content kind list, to trailer
  desktop.Keys({"Down", "Return"});
  screen = desktop.Settled(window, screen);
  desktop.Keys({"Return"});
  ASSERT_TRUE(program.Exited(std::chrono::seconds(20))) << "Enter did not press OK";
  EXPECT_EQ(program.status(), 0) << ReadText(dir / "program.log");
  const OutputOptions o = Record(dir / "o.bin");
  EXPECT_EQ(std::string(o.filmTitle), std::string(63, 'E'));
  EXPECT_EQ(std::string(o.title).rfind(std::string(63, 'E') + "_2", 0), 0u) << o.title;
  EXPECT_EQ(std::string(o.categoryText), "trailer");
}

// The digest of a render on the display as a slow disk gives it: each step of
// the progress bar waits (at most 20 seconds) until the user has clicked in
// the window, then long enough for the click to reach the dialog.
class SlowDigestOnTheWindow : public DialogPresenter {
 public:
  explicit SlowDigestOnTheWindow(DialogPresenter* window) : window_(window), previous_(SetDialogPresenter(this)) {}
  ~SlowDigestOnTheWindow() override { SetDialogPresenter(previous_); }
  SlowDigestOnTheWindow(const SlowDigestOnTheWindow&) = delete;
  SlowDigestOnTheWindow& operator=(const SlowDigestOnTheWindow&) = delete;

  // False when the render ended without showing it.
  bool WaitForDialog() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return opened_ || ended_; });
    return opened_;
  }
  void RenderEnded() {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }
  void Clicked() {
    std::lock_guard<std::mutex> lock(mutex_);
    clicked_ = true;
    changed_.notify_all();
  }
  void DialogOpened(HWND dialog) override {
    window_->DialogOpened(dialog);
    std::lock_guard<std::mutex> lock(mutex_);
    opened_ = true;
    changed_.notify_all();
  }
  void ControlChanged(HWND control) override {
    window_->ControlChanged(control);
    WindowState s;
    if (!QueryWindowState(control, &s) || s.kind != ControlKind::ProgressBar) return;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait_for(lock, std::chrono::seconds(20), [&] { return clicked_; });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  void DialogClosed(HWND dialog, INT_PTR result) override { window_->DialogClosed(dialog, result); }

 private:
  DialogPresenter* window_;
  DialogPresenter* previous_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool opened_ = false;
  bool clicked_ = false;
  bool ended_ = false;
};

// The frames of the render whose digests are cancelled: the digests come
// after the last frame, however many there are; two under a sanitizer.
constexpr const char* kCancelledFrames = kSanitized ? "2" : "24";

// lumavox-render in this process with its dialogs on `display`, where the
// user clicks Cancel in the digest window; ends with the program's status.
[[noreturn]] void RenderAndCancelTheDigests(const std::string& display, const std::string& output) {
  setenv("DISPLAY", display.c_str(), 1);  // NOLINT(concurrency-mt-unsafe): no other thread runs yet
  std::string why;
  std::unique_ptr<DialogPresenter> window = lumavox_host::OpenWindowPresenter(
      std::string(LUMAVOX_BIN_DIR) + "/" LUMAVOX_WINDOW_LIBRARY, &why);
  if (window == nullptr) std::_Exit(100);
  SlowDigestOnTheWindow slow(window.get());
  std::thread user([&] {
    Desktop desktop(display);
    if (!slow.WaitForDialog()) return;
    const std::string progress = desktop.WaitForWindow("Lumavox");
    desktop.Click(progress, X(126 + 25), Y(54 + 7));  // Cancel
    slow.Clicked();
  });
  const int status = host_test::RenderProgramHere({"--frames", kCancelledFrames, "--threads", "4", output});
  slow.RenderEnded();
  user.join();
  std::_Exit(status);
}

// Cancel in the digest window stops the render: the program says so and
// fails, and the folder holds the track files but no document of a package.
TEST(DialogWindow, CancelInTheDigestWindowStopsTheRenderWithoutAPackage) {
  for (const char* tool : {"Xvfb", "xdotool", "timeout"}) LUMAVOX_REQUIRE_TOOL(tool);
  TempDir dir;
  VirtualDisplay display(dir / "xvfb.log");
  ASSERT_FALSE(display.name().empty()) << ReadText(dir / "xvfb.log");
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(RenderAndCancelTheDigests(display.name(), dir / "c.DCP"), testing::ExitedWithCode(1),
              std::string("render stopped: ") + kCancelledFrames + " of " + kCancelledFrames +
                  " frames.*the render was stopped by Cancel in the "
                  "plug-in's dialog: the package is not complete");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "c")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind("j2c_", 0), 0u);
  EXPECT_EQ(names[1].rfind("pcm_", 0), 0u);
}

// DISPLAY names a display that no server serves, as in a remote shell
// without a forwarded display: a render shows its dialogs on the terminal,
// and --dialog says that no display could be opened.
TEST(DialogWindow, ADisplayThatCannotBeOpenedLeavesTheDialogsOnTheTerminal) {
  int number = 900;
  while (FileExists("/tmp/.X" + std::to_string(number) + "-lock")) ++number;
  const std::string display = ":" + std::to_string(number);
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    int status;
    std::string said;
  } cases[] = {
      // The digests' dialog comes at the end of any render: of two frames.
      {{"--frames", "2", "--size", "2048x858", "--threads", "4", dir / "x.DCP"},
       0,
       "Calculating security contraints for j2c_"},
      {{"--dialog", "--options", dir / "o.bin"},
       2,
       "no display could be opened (the display \"" + display + "\" cannot be opened)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {"env", "DISPLAY=" + display, RenderPath()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const CommandResult r = RunCommand(argv);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
  EXPECT_TRUE(FileExists(dir / "x/VOLINDEX"));
  EXPECT_FALSE(FileExists(dir / "o.bin"));
}
