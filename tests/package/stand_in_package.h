// A package folder with stand-in track and subtitle files and a filled
// composition record, the oracles the package tests check it with, and a
// dialog presenter that plays the user.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/dialog_presenter.h"
#include "plugin/composition_info.h"
#include "tests/support/test_support.h"

namespace package_test {

struct PackageKind {
  bool smpte;
  bool stereoscopic;
  bool subtitles;
};

class StandInPackage {
 public:
  explicit StandInPackage(PackageKind kind, uint64_t pictureBytes = 5 * 1024 * 1024 + 123);
  const std::string& folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::string UserSubtitlePath() const { return dir_ / "user/subtitle.xml"; }
  std::string UserFontPath() const { return dir_ / "user/font.ttf"; }
  // Names of the files in the package folder (not in subfolders), sorted.
  std::vector<std::string> FolderFiles() const;
  DcpCompositionInfo info;

 private:
  lumavox_test::TempDir dir_;
  std::string folder_;
};

// Base64 SHA-1 of a file by openssl.
std::string OpensslDigest(const std::string& path);
// The texts of the nodes that the XPath expression selects, by xmllint.
std::vector<std::string> XPath(const std::string& file, const std::string& expression);
// An XPath step by local name: Name("Asset") is *[local-name()='Asset'].
std::string Name(const std::string& local);
// Validates a document with xmllint against a schema of the shared folder;
// the empty text on success, else xmllint's output.
std::string ValidateWithSchema(const std::string& file, const std::string& schema);

// Plays the user of running dialogs: records what is shown and runs the
// test's reactions.
class DialogUser : public DialogPresenter {
 public:
  DialogUser();
  ~DialogUser() override;
  std::function<void(HWND dialog)> onOpen;
  std::function<void(HWND dialog, int percent)> onProgress;
  std::function<void(HWND dialog, const std::string& text)> onText;

  void DialogOpened(HWND dialog) override;
  void ControlChanged(HWND control) override;
  void DialogClosed(HWND dialog, INT_PTR result) override;
  int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;

  std::mutex mutex;
  int opened = 0;
  std::vector<INT_PTR> results;
  std::vector<int> progress;
  std::vector<std::string> texts;
  std::vector<std::string> boxes;  // "caption: text"
  HWND dialog = nullptr;

 private:
  DialogPresenter* previous_;
};

}  // namespace package_test
