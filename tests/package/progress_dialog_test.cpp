// The digest dialog driven as a user drives it: watching it to the end,
// Cancel by button, Escape and close box, a digest that fails, a worker
// that cannot start, a missing track file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "package/package_documents.h"
#include "platform/win/threads.h"
#include "platform/win/user_input.h"
#include "platform/win/window_messages.h"
#include "tests/package/stand_in_package.h"

namespace {

using package_test::DialogUser;
using package_test::StandInPackage;

const package_test::PackageKind kSmpte2D = {true, false, false};

std::vector<std::string> TrackFilesOnly(const StandInPackage& p) {
  std::vector<std::string> names = {p.info.pictureFileName, p.info.soundFileName};
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DigestDialog, ShowsEachFileAndItsProgressThenEndsWithTheDigests) {
  LUMAVOX_REQUIRE_TOOL("openssl");
  StandInPackage p(kSmpte2D);
  DialogUser user;
  ASSERT_TRUE(WriteDcpXml(nullptr, &p.info).Success());
  EXPECT_EQ(user.opened, 1);
  EXPECT_EQ(user.results, std::vector<INT_PTR>{0});
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(user.texts,
            (std::vector<std::string>{std::string("Calculating security contraints for ") + p.info.pictureFileName,
                                      std::string("Calculating security contraints for ") + p.info.soundFileName}));
  // Picture: three chunks (2, 4 and 5 MB of 5 MB); sound: one.
  EXPECT_EQ(user.progress, (std::vector<int>{39, 79, 100, 100}));
  EXPECT_EQ(std::string(p.info.pictureHash), package_test::OpensslDigest(p.Path(p.info.pictureFileName)));
  EXPECT_EQ(std::string(p.info.soundHash), package_test::OpensslDigest(p.Path(p.info.soundFileName)));
}

TEST(DigestDialog, CancelByButtonEscapeOrCloseBoxWritesNoDocument) {
  const std::vector<std::function<void(HWND)>> ways = {
      [](HWND d) { UserClickButton(d, IDCANCEL); },
      [](HWND d) { UserPressKey(d, VK_ESCAPE); },
      [](HWND d) { UserClickCloseBox(d); },
  };
  for (const auto& way : ways) {
    // A picture file of many chunks, so that the user acts while it is read.
    StandInPackage p(kSmpte2D, 24 * 1024 * 1024);
    DialogUser user;
    bool acted = false;
    user.onProgress = [&](HWND d, int) {
      if (!acted) way(d);
      acted = true;
    };
    // A render whose digests were cancelled did not finish.
    EXPECT_EQ(WriteDcpXml(nullptr, &p.info), kDigestsCancelled);
    EXPECT_EQ(user.results, std::vector<INT_PTR>{IDCANCEL});
    EXPECT_EQ(p.FolderFiles(), TrackFilesOnly(p));
    EXPECT_TRUE(user.boxes.empty());
  }
}

// Turns the named track file into a folder just before the worker reads
// it: opening works, reading fails.
void BreakWhenAnnounced(DialogUser& user, const StandInPackage& p, const std::string& name) {
  user.onText = [&p, name](HWND, const std::string& text) {
    if (text.find(name) == std::string::npos) return;
    std::filesystem::remove(p.Path(name));
    std::filesystem::create_directory(p.Path(name));
  };
}

std::vector<std::string> g_messages;
A_Err CaptureMessage(A_Err, const A_char* text) {
  g_messages.push_back(text);
  return 0;
}

TEST(DigestDialog, FailedPictureDigestIsReportedOnceAndWritesNoDocument) {
  StandInPackage p(kSmpte2D);
  DialogUser user;
  BreakWhenAnnounced(user, p, p.info.pictureFileName);
  AEIO_BasicData basic = {CaptureMessage, nullptr, 0, 0};
  g_messages.clear();
  EXPECT_TRUE(WriteDcpXml(&basic, &p.info).Failure());
  EXPECT_EQ(user.results, std::vector<INT_PTR>{0});
  EXPECT_EQ(user.boxes, std::vector<std::string>{"ERROR: Calculating security contraints failed"});
  // The host is told which file and why, for the render's error.
  EXPECT_EQ(g_messages, std::vector<std::string>{std::string("Cannot compute the digest of ") + p.info.picturePath +
                                                 ": Is a directory"});
  EXPECT_EQ(user.texts.size(), 1u);  // the sound file is not read
  EXPECT_STREQ(p.info.pictureHash, "");
  EXPECT_STREQ(p.info.soundHash, "");
  EXPECT_EQ(p.FolderFiles(), std::vector<std::string>{p.info.soundFileName});
}

TEST(DigestDialog, FailedSoundDigestWritesNoDocument) {
  StandInPackage p(kSmpte2D);
  DialogUser user;
  BreakWhenAnnounced(user, p, p.info.soundFileName);
  EXPECT_TRUE(WriteDcpXml(nullptr, &p.info).Failure());
  EXPECT_EQ(user.boxes.size(), 1u);
  EXPECT_STRNE(p.info.pictureHash, "");
  EXPECT_STREQ(p.info.soundHash, "");
  EXPECT_EQ(p.FolderFiles(), std::vector<std::string>{p.info.pictureFileName});
}

TEST(DigestDialog, WorkerThatCannotStartEndsTheDialogWithAMessage) {
  StandInPackage p(kSmpte2D);
  DialogUser user;
  SimulateThreadCreationFailures(1);
  EXPECT_TRUE(WriteDcpXml(nullptr, &p.info).Failure());
  SimulateThreadCreationFailures(0);
  EXPECT_EQ(user.opened, 0);
  EXPECT_EQ(user.boxes, std::vector<std::string>{"ERROR: Calculating security contraints failed"});
  EXPECT_EQ(p.FolderFiles(), TrackFilesOnly(p));
}

TEST(DigestDialog, MissingPictureFileShowsNoDialogAndWritesNoDocument) {
  StandInPackage p(kSmpte2D);
  std::filesystem::remove(p.Path(p.info.pictureFileName));
  DialogUser user;
  AEIO_BasicData basic = {CaptureMessage, nullptr, 0, 0};
  g_messages.clear();
  testing::internal::CaptureStderr();
  EXPECT_TRUE(WriteDcpXml(&basic, &p.info).Failure());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(std::string("Cannot open file: ") + p.info.picturePath + "\n"), std::string::npos) << err;
  EXPECT_EQ(g_messages, std::vector<std::string>{std::string("Cannot open file: ") + p.info.picturePath +
                                                 ": No such file or directory"});
  EXPECT_EQ(user.opened, 0);
  EXPECT_EQ(p.FolderFiles(), std::vector<std::string>{p.info.soundFileName});
}

}  // namespace
