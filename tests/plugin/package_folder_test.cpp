#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    names.push_back(entry.path().lexically_relative(folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(PackageFolder, IsTheOutputPathLessItsExtensionInAnyCase) {
  EXPECT_EQ(FolderOf("out/T.DCP"), "out/T");
  EXPECT_EQ(FolderOf("/tmp/My Film.dcp"), "/tmp/My Film");
  EXPECT_EQ(FolderOf("C:\\films\\A.Dcp"), "C:\\films\\A");
  EXPECT_EQ(FolderOf("T.DCP"), "T");
}

TEST(PackageFolder, RefusesPathsThatNameNoPackageFolderOfTheirOwn) {
  for (const char* bad : {"", ".DCP", "/.DCP", "out/.DCP", "C:\\.DCP", "C:.DCP", "out/..DCP", "out/...DCP", "out/T.mxf",
                          "out/T.DCPX", "out/TDCP", "DCP"}) {
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

namespace {

constexpr char kUuid[] = "0f8e2b6c-3d41-4a5e-9b7c-12ab34cd56ef";
constexpr char kOtherUuid[] = "A1B2C3D4-0000-4111-8222-333344445555";

std::string Named(const char* prefix, const char* uuid, const char* suffix) {
  return std::string(prefix) + uuid + suffix;
}

// Everything a render of either packing writes into its folder, with an
// Interop subtitle folder holding its document and a TrueType font.
void WriteEarlierPackage(const std::string& folder) {
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  for (const std::string& name :
       {Named("j2c_", kUuid, ".mxf"), Named("pcm_", kUuid, ".mxf"), Named("sub_", kUuid, ".mxf"),
        Named("cpl_", kUuid, ".xml"), Named("pkl_", kOtherUuid, ".xml"), std::string("ASSETMAP"),
        std::string("ASSETMAP.xml"), std::string("VOLINDEX"), std::string("VOLINDEX.xml"), std::string("tmpL.wav"),
        std::string("tmpR.wav")}) {
    WriteText(folder + "/" + name, "earlier render");
  }
  const std::string subtitles = folder + "/" + kOtherUuid;
  ASSERT_EQ(mkdir(subtitles.c_str(), 0777), 0);
  WriteText(subtitles + "/" + kOtherUuid + ".xml", "<DCSubtitle/>");
  WriteBytes(subtitles + "/Arial Bold.ttf", {0x00, 0x01, 0x00, 0x00, 0x00, 0x10});
  for (const char* image : {"/img001.png", "/img002.png"})
    WriteBytes(subtitles + image, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13});
  // A stopped render's subtitle folder may be empty.
  ASSERT_EQ(mkdir((folder + "/" + kUuid).c_str(), 0777), 0);
}

}  // namespace

TEST(PackageFolder, ReplacesAnEarlierPackageOrAnEmptyFolderAndNothingBesideIt) {
  TempDir dir;
  // A shell command built from "my out" unquoted would remove "my" and "out".
  for (const char* name : {"my", "out"}) {
    ASSERT_EQ(mkdir((dir / name).c_str(), 0777), 0);
    WriteText(dir / name + "/keep.txt", name);
  }
  WriteEarlierPackage(dir / "my out");
  EXPECT_EQ(ForeignPackageEntry((dir / "my out").c_str()), "");
  ASSERT_TRUE(CreatePackageFolder((dir / "my out").c_str()));
  EXPECT_TRUE(IsFolder(dir / "my out"));
  EXPECT_EQ(FolderEntries(dir / "my out"), std::vector<std::string>{});
  EXPECT_EQ(ReadText(dir / "my/keep.txt"), "my");
  EXPECT_EQ(ReadText(dir / "out/keep.txt"), "out");
  // The now empty folder is replaced again.
  ASSERT_TRUE(CreatePackageFolder((dir / "my out").c_str()));
  EXPECT_TRUE(IsFolder(dir / "my out"));
}

TEST(PackageFolder, KeepsAFolderHoldingAnythingARenderDoesNotWrite) {
  TempDir dir;
  WriteText(dir / "precious.txt", "keep");
  const std::string subtitles = std::string(kOtherUuid) + "/";
  // Each case: how the user's file comes into an earlier package, and the entry named.
  struct Case {
    std::function<void(const std::string&)> add;
    std::string named;
  };
  const std::vector<Case> cases = {
      {[](const std::string& f) { WriteText(f + "/notes.txt", "mine"); }, "notes.txt"},
      {[](const std::string& f) {
         ASSERT_EQ(mkdir((f + "/edits").c_str(), 0777), 0);
         WriteText(f + "/edits/" + Named("j2c_", kUuid, ".mxf"), "mine");
       },
       "edits"},
      {[](const std::string& f) { WriteText(f + "/j2c_final-cut.mxf", "mine"); }, "j2c_final-cut.mxf"},
      {[](const std::string& f) { WriteText(f + "/" + Named("cpl_", kUuid, ".xml.bak"), "mine"); },
       Named("cpl_", kUuid, ".xml.bak")},
      {[](const std::string& f) { ASSERT_EQ(mkdir((f + "/ASSETMAP.xml.d").c_str(), 0777), 0); }, "ASSETMAP.xml.d"},
      {[&](const std::string& f) { WriteText(f + "/" + subtitles + "draft.txt", "mine"); }, subtitles + "draft.txt"},
      {[&](const std::string& f) {
         WriteBytes(f + "/" + subtitles + "Other.ttf", {'O', 'T', 'T', 'O'});
       },
       subtitles + "Other.ttf"},  // a second font
      {[&](const std::string& f) { WriteText(f + "/" + subtitles + "poster.png", "not a PNG at all"); },
       subtitles + "poster.png"},
      {[&](const std::string& f) { ASSERT_EQ(mkdir((f + "/" + subtitles + "x").c_str(), 0777), 0); }, subtitles + "x"},
      // A link named like a track file is not a track file: neither it nor what it names goes.
      {[&](const std::string& f) {
         ASSERT_EQ(std::remove((f + "/tmpL.wav").c_str()), 0);
         ASSERT_EQ(symlink((dir / "precious.txt").c_str(), (f + "/tmpL.wav").c_str()), 0);
       },
       "tmpL.wav"},
  };
  for (size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].named);
    const std::string folder = dir / ("T" + std::to_string(k));
    WriteEarlierPackage(folder);
    cases[k].add(folder);
    const std::vector<std::string> before = FolderEntries(folder);
    std::string foreign;
    EXPECT_FALSE(CreatePackageFolder(folder.c_str(), &foreign));
    EXPECT_EQ(foreign, cases[k].named);
    EXPECT_EQ(FolderEntries(folder), before);
    EXPECT_EQ(ReadText(folder + "/" + Named("j2c_", kUuid, ".mxf")), "earlier render");
  }
  EXPECT_EQ(ReadText(dir / "precious.txt"), "keep");
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
