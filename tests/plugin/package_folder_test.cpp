#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/win/directory.h"
#include "plugin/package_folder.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

std::string FolderOf(const std::string& outputPath) {
  char folder[260];
  if (!PackageFolderFromOutputPath(outputPath.c_str(), folder, sizeof folder)) return "<refused>";
  return folder;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TEST(PackageFolder, IsTheOutputPathLessItsExtensionInAnyCase) {
  EXPECT_EQ(FolderOf("out/T.DCP"), "out/T");
  EXPECT_EQ(FolderOf("/tmp/My Film.dcp"), "/tmp/My Film");
  EXPECT_EQ(FolderOf("C:\\films\\A.Dcp"), "C:\\films\\A");
  EXPECT_EQ(FolderOf("T.DCP"), "T");
}

TEST(PackageFolder, RefusesPathsThatNameNoPackageFolderOfTheirOwn) {
  for (const char* bad : {"", ".DCP", "/.DCP", "out/.DCP", "C:\\.DCP", "C:.DCP", "out/..DCP",
                          "out/...DCP", "out/T.mxf", "out/T.DCPX", "out/TDCP", "DCP"}) {
    EXPECT_EQ(FolderOf(bad), "<refused>") << bad;
  }
  char folder[8] = "x";
  EXPECT_FALSE(PackageFolderFromOutputPath(nullptr, folder, sizeof folder));
  EXPECT_STREQ(folder, "");
  // A folder that does not fit its field is refused, not cut.
  EXPECT_FALSE(PackageFolderFromOutputPath("abcdefgh.DCP", folder, sizeof folder));
  EXPECT_TRUE(PackageFolderFromOutputPath("abcdefg.DCP", folder, sizeof folder));
  EXPECT_STREQ(folder, "abcdefg");
}

TEST(PackageFolder, ReplacesAnExistingFolderWithSpacesAndNothingBesideIt) {
  TempDir dir;
  // A shell command built from "my out" unquoted would remove "my" and "out".
  for (const char* name : {"my", "out", "my out"}) {
    ASSERT_EQ(mkdir((dir / name).c_str(), 0777), 0);
    WriteText(dir / name + "/keep.txt", name);
  }
  ASSERT_EQ(mkdir((dir / "my out/sub").c_str(), 0777), 0);
  WriteText(dir / "my out/sub/old.j2c", "old");
  // A link inside the tree is removed, never followed.
  ASSERT_EQ(mkdir((dir / "outside").c_str(), 0777), 0);
  WriteText(dir / "outside/precious.txt", "keep");
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "my out/link").c_str()), 0);

  ASSERT_TRUE(CreatePackageFolder((dir / "my out").c_str()));

  EXPECT_TRUE(IsFolder(dir / "my out"));
  EXPECT_FALSE(FileExists(dir / "my out/keep.txt"));
  EXPECT_FALSE(IsFolder(dir / "my out/sub"));
  EXPECT_EQ(ReadText(dir / "my/keep.txt"), "my");
  EXPECT_EQ(ReadText(dir / "out/keep.txt"), "out");
  EXPECT_EQ(ReadText(dir / "outside/precious.txt"), "keep");
}

TEST(PackageFolder, KeepsAFileOfThatNameAndReportsFailure) {
  TempDir dir;
  WriteText(dir / "T", "a file, not a package");
  EXPECT_FALSE(CreatePackageFolder((dir / "T").c_str()));
  EXPECT_EQ(ReadText(dir / "T"), "a file, not a package");
  EXPECT_FALSE(RemoveDirectoryTree(""));
  EXPECT_FALSE(CreateDirectoryA("", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}
