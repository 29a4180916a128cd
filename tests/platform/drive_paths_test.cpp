#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win/drive_paths.h"

namespace {

// Sets an environment variable for one test and puts the old value back; the
// tests start no thread.
// NOLINTBEGIN(concurrency-mt-unsafe)
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};
// NOLINTEND(concurrency-mt-unsafe)

}  // namespace

TEST(DrivePaths, DriveLettersMapBelowTheChosenFolder) {
  ScopedEnv root("LUMAVOX_DRIVE_ROOT", "/tmp/drives/");
  EXPECT_EQ(MapDrivePath("C:\\Lumavox_Log.txt"), "/tmp/drives/Lumavox_Log.txt");
  EXPECT_EQ(MapDrivePath("c:/a\\b/c.txt"), "/tmp/drives/a/b/c.txt");
  // Anything that is not a drive path stays as it is.
  EXPECT_EQ(MapDrivePath("/srv/out/x.DCP"), "/srv/out/x.DCP");
  EXPECT_EQ(MapDrivePath("relative\\name"), "relative\\name");
  EXPECT_EQ(MapDrivePath("C:"), "C:");
  EXPECT_EQ(MapDrivePath(""), "");
}

TEST(DrivePaths, WithoutAChoiceTheHomeFolderStandsForTheDrives) {
  ScopedEnv root("LUMAVOX_DRIVE_ROOT", "");
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(MapDrivePath("C:\\logmetofile.txt"), "/home/someone/logmetofile.txt");
  ScopedEnv rootHome("HOME", "/");
  EXPECT_EQ(MapDrivePath("C:\\logmetofile.txt"), "/logmetofile.txt");
}
