// Renders that do not reach their end, run as a user runs lumavox-render: a
// full disk, Ctrl-C and SIGTERM. Nothing may look like a finished package,
// and nothing temporary may stay.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/stop_signals.h"
#include "platform/win/dialog_presenter.h"
#include "tests/host/program_here.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename());
  return names;
}

// What a render leaves when it did not finish: its picture track file, and
// neither documents nor temporary sound files. Returns the picture file.
std::string ExpectOnlyAPictureTrackFile(const std::string& folder) {
  std::string picture;
  for (const std::string& name : Entries(folder)) {
    if (name.rfind("j2c_", 0) == 0) {
      picture = folder + "/" + name;
      continue;
    }
    ADD_FAILURE() << folder << " holds " << name;
  }
  EXPECT_FALSE(picture.empty()) << "no picture track file in " << folder;
  return picture;
}

// The debug log of the plug-in, written below `drive` while its guard file is there.
std::string MakeLoggingDrive(const std::string& drive) {
  std::filesystem::create_directories(drive);
  WriteText(drive + "/logmetofile.txt", "");
  return drive + "/Lumavox_Log.txt";
}

// A tmpfs of `size` mounted on `folder` for the life of the object.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, const std::string& size) : folder_(folder) {
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + size;
    mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// lumavox-render running as a child process, its standard error in a file.
class RenderChild {
 public:
  RenderChild(const std::vector<std::string>& args, const std::string& errors, const std::string& drive)
      : errors_(errors) {
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int none = open("/dev/null", O_RDWR);
      dup2(none, STDIN_FILENO);
      dup2(none, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      setenv("LUMAVOX_DRIVE_ROOT", drive.c_str(), 1);  // NOLINT(concurrency-mt-unsafe): the child has one thread
      std::vector<char*> argv;
      std::string program = RenderPath();
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (std::string& a : copies) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
  }
  ~RenderChild() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  pid_t pid() const { return pid_; }
  std::string Errors() const { return FileExists(errors_) ? ReadText(errors_) : ""; }

  // Waits until `ready` holds; false when the program ended first or
  // `seconds` went by.
  bool WaitUntil(const std::function<bool()>& ready, int seconds) {
    for (int k = 0; k < seconds * 20; ++k) {
      if (ready()) return true;
      if (waitpid(pid_, &status_, WNOHANG) == pid_) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // The wait status once the program ended; -1 (and the program killed) when
  // it has not ended within `seconds`.
  int WaitForEnd(int seconds) {
    for (int k = 0; k < seconds * 20 && status_ < 0; ++k) {
      if (waitpid(pid_, &status_, WNOHANG) == pid_) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      status_ = -2;
      return -1;
    }
    return status_;
  }

 private:
  std::string errors_;
  pid_t pid_ = -1;
  int status_ = -1;
};

}  // namespace

TEST(InterruptedRender, AFullDiskSaysWhatFailedAndLeavesNoPackageOrTemporaryFiles) {
  TempDir dir;
  // Full after some frames: the temporary sound files and the picture
  // track file are open when a frame finds no room.
  SmallDisk disk(dir / "disk", "3m");
  if (!disk.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (not root?)";
  const std::string log = MakeLoggingDrive(dir / "drive");
  auto r = RunCommand({"env", "LUMAVOX_DRIVE_ROOT=" + (dir / "drive"), RenderPath(), "--frames", "240", "--threads",
                       "2", dir / "disk/full.DCP"});
  EXPECT_NE(r.status, 0);
  const std::string picture = ExpectOnlyAPictureTrackFile(dir / "disk/full");
  const std::string said = "cannot write " + std::filesystem::path(picture).filename().string() +
                           ": No space left on device\n";
  EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
  EXPECT_NE(ReadText(log).find(said), std::string::npos);
}

// The size of the folder's picture track file, 0 while there is none.
uintmax_t PictureFileSize(const std::string& folder) {
  for (const std::string& name : Entries(folder)) {
    std::error_code ec;
    if (name.rfind("j2c_", 0) == 0) return std::filesystem::file_size(folder + "/" + name, ec);
  }
  return 0;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

TEST(InterruptedRender, CtrlCAndSigtermStopTheRenderAsTheStopButtonDoes) {
  for (int signal_number : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal_number == SIGINT ? "SIGINT" : "SIGTERM");
    TempDir dir;
    const std::string log = MakeLoggingDrive(dir / "drive");
    RenderChild render({"--frames", "4800", "--size", "2048x858", "--threads", "2", dir / "stop.DCP"},
                       dir / "errors.txt", dir / "drive");
    // Under way: frames are in the picture file (beyond its 16 KB header) and
    // the sound of second 0 is in the temporary files.
    ASSERT_TRUE(render.WaitUntil([&] { return PictureFileSize(dir / "stop") > 20000; }, 120)) << render.Errors();
    ASSERT_EQ(kill(render.pid(), signal_number), 0);
    const int status = render.WaitForEnd(120);
    const std::string errors = render.Errors();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << errors;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal_number);
    EXPECT_NE(errors.find("lumavox-render: the render was stopped by "), std::string::npos) << errors;
    // The notice of the stop reached the terminal at once, not the log alone.
    EXPECT_NE(errors.find("stopping the render after the frame in hand"), std::string::npos) << errors;

    // The picture track file is finalised with every frame the host delivered.
    const std::string picture = ExpectOnlyAPictureTrackFile(dir / "stop");
    const MxfFile file = ReadMxf(picture);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(KeyName(file.packets.front().key), "ClosedCompleteHeader");
    EXPECT_EQ(KeyName(file.packets.back().key), "RandomIndexMetadata");
    const size_t frames = EssencePayloads(file, "060e2b34.01020101.0d010301.15010801").size();
    EXPECT_GE(frames, 1u);
    const std::string logged = ReadText(log);
    EXPECT_EQ(Count(logged, "My_AddFrame\n"), frames);
    EXPECT_EQ(Count(logged, "My_EndAdding\n"), 1u);
    EXPECT_EQ(logged.find("XML Creation starts"), std::string::npos);
  }
}

TEST(InterruptedRender, ASecondCtrlCEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        lumavox_host::InstallStopSignals();
        std::raise(SIGINT);
        if (lumavox_host::StopSignal().load() != SIGINT) std::_Exit(3);  // the first only asks
        std::raise(SIGINT);
        std::_Exit(0);
      },
      testing::KilledBySignal(SIGINT), "stopping the render");
}

namespace {

// Presses Ctrl-C when the digest dialog closes: every frame is in the
// plug-in's hands and the render end goes on to write the documents.
class CtrlCAfterTheDigests : public DialogPresenter {
 public:
  void DialogClosed(HWND, INT_PTR) override { std::raise(SIGINT); }
};

// lumavox-render in this process, with that user; ends it with the program's status.
[[noreturn]] void RenderWithCtrlCAfterTheDigests(const std::string& output) {
  lumavox_host::InstallStopSignals();
  CtrlCAfterTheDigests user;
  SetDialogPresenter(&user);
  // The package is complete after any number of frames: two under a sanitizer.
  std::_Exit(host_test::RenderProgramHere({"--frames", kSanitized ? "2" : "24", "--threads", "2", output}));
}

}  // namespace

TEST(InterruptedRender, ACtrlCThatComesAfterTheLastFrameReportsTheFinishedPackage) {
  GTEST_FLAG_SET(death_test_style, "fast");
  TempDir dir;
  EXPECT_EXIT(RenderWithCtrlCAfterTheDigests(dir / "late.DCP"), testing::ExitedWithCode(0),
              "stopping the render after the frame in hand.*Ctrl-C came after the last frame: the package is "
              "complete\npackage: ");
  for (const char* document : {"ASSETMAP", "VOLINDEX"}) EXPECT_TRUE(FileExists(dir / "late/" + document)) << document;
}
