#include "tests/package/stand_in_package.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>

#include "platform/win/window.h"

namespace package_test {

namespace {

std::vector<uint8_t> RandomBytes(uint64_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

void Copy(char* field, size_t size, const std::string& text) {
  ASSERT_LT(text.size(), size) << text;
  std::memset(field, 0, size);
  text.copy(field, text.size());
}
#define SET(field, text) Copy(field, sizeof(field), text)

}  // namespace

StandInPackage::StandInPackage(PackageKind kind, uint64_t pictureBytes) : info() {
  folder_ = dir_ / "B";
  std::filesystem::create_directories(folder_);
  std::filesystem::create_directories(dir_ / "user");
  const unsigned fps = kind.smpte && !kind.stereoscopic ? 25 : 24;  // stereoscopic: 24 only
  const unsigned frames = 2 * fps;
  SET(info.issuer, "Lumavox");
  SET(info.contentTitle, "STAND-IN_TLR_F_EN-XX_51_2K_20240131_SMPTE_OV");
  SET(info.annotation, "Stand-in annotation");
  SET(info.editRate, std::to_string(fps) + " 1");
  SET(info.frameRate, std::to_string(kind.stereoscopic ? 2 * fps : fps) + " 1");
  info.stereoscopic = kind.stereoscopic ? 1 : 0;
  info.packing = kind.smpte ? 1 : 0;
  SET(info.contentKind, "trailer");
  SET(info.pictureUuid, "0b1c5e12-3d4f-4a5b-8c6d-7e8f90a1b2c3");
  info.pictureDuration = frames;
  info.pictureIntrinsicDuration = frames;
  info.subtitleIntrinsicDuration = frames;
  if (kind.smpte) {
    info.aspectWidth = 1998;
    info.aspectHeight = 1080;
  } else {
    SET(info.aspectText, "1.85");
  }
  SET(info.pictureFileName, std::string("j2c_") + info.pictureUuid + ".mxf");
  SET(info.soundUuid, "1c2d3e4f-5a6b-4c7d-9e8f-a0b1c2d3e4f5");
  info.soundDuration = frames;
  info.soundIntrinsicDuration = frames;
  info.soundEntryPoint = 0;
  SET(info.soundFileName, std::string("pcm_") + info.soundUuid + ".mxf");
  SET(info.folderPath, folder_);
  SET(info.reelUuid, "2d3e4f5a-6b7c-4d8e-af90-b1c2d3e4f5a6");
  SET(info.cplUuid, "3e4f5a6b-7c8d-4e9f-b0a1-c2d3e4f5a6b7");
  SET(info.pklUuid, "4f5a6b7c-8d9e-4fa0-81b2-d3e4f5a6b7c8");
  SET(info.assetMapUuid, "5a6b7c8d-9eaf-4b01-92c3-e4f5a6b7c8d9");
  SET(info.spareUuid, "6b7c8d9e-afb0-4c12-a3d4-f5a6b7c8d9ea");
  lumavox_test::WriteBytes(Path(info.pictureFileName), RandomBytes(pictureBytes, 1));
  lumavox_test::WriteBytes(Path(info.soundFileName), RandomBytes(300 * 1024 + 7, 2));

  info.subtitleOn = kind.subtitles ? 1 : 0;
  if (!kind.subtitles) return;
  info.subtitleIsMxf = kind.smpte ? 1 : 0;
  info.fontPresent = 1;
  SET(info.subtitleUuid, "7c8d9eaf-b0c1-4d23-b4e5-a6b7c8d9eafb");
  SET(info.fontUuid, "8d9eafb0-c1d2-4e34-85f6-b7c8d9eafb0c");
  SET(info.fontFile, "font.ttf");
  SET(info.subtitlePath, UserSubtitlePath());
  const std::string subtitle = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DCSubtitle Version=\"1.0\"><SubtitleID>" +
                               std::string(info.subtitleUuid) + "</SubtitleID></DCSubtitle>\n";
  lumavox_test::WriteText(UserSubtitlePath(), subtitle);
  lumavox_test::WriteBytes(UserFontPath(), RandomBytes(4099, 3));
  if (kind.smpte) {
    SET(info.subtitleFileName, std::string("sub_") + info.subtitleUuid + ".mxf");
    lumavox_test::WriteBytes(Path(info.subtitleFileName), RandomBytes(20000, 4));
  } else {
    // The render start copies the subtitle and its font into a subfolder
    // named by the subtitle's UUID.
    const std::string sub = Path(info.subtitleUuid);
    std::filesystem::create_directories(sub);
    lumavox_test::WriteText(sub + "/" + info.subtitleUuid + ".xml", subtitle);
    std::filesystem::copy_file(UserFontPath(), sub + "/font.ttf");
  }
}

std::vector<std::string> StandInPackage::FolderFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string OpensslDigest(const std::string& path) {
  lumavox_test::TempDir scratch;
  const std::string binary = scratch / "sha1";
  auto digest = lumavox_test::RunCommand({"openssl", "dgst", "-sha1", "-binary", "-out", binary, path});
  EXPECT_EQ(digest.status, 0) << digest.err;
  auto encoded = lumavox_test::RunCommand({"openssl", "base64", "-in", binary});
  EXPECT_EQ(encoded.status, 0) << encoded.err;
  std::string text = encoded.out;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::vector<std::string> XPath(const std::string& file, const std::string& expression) {
  auto run = lumavox_test::RunCommand({"xmllint", "--nonet", "--xpath", expression, file});
  std::vector<std::string> lines;
  if (run.status != 0) return lines;  // nothing selected
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Name(const std::string& local) { return "*[local-name()='" + local + "']"; }

std::string ValidateWithSchema(const std::string& file, const std::string& schema) {
  const std::string schemas = lumavox_test::SharedDir() + "/schemas";
  auto run = lumavox_test::RunCommand({"env", "XML_CATALOG_FILES=" + schemas + "/catalog.xml", "xmllint", "--nonet",
                                       "--noout", "--schema", schemas + "/" + schema, file});
  return run.status == 0 ? std::string() : run.out + run.err;
}

DialogUser::DialogUser() { previous_ = SetDialogPresenter(this); }
DialogUser::~DialogUser() { SetDialogPresenter(previous_); }

void DialogUser::DialogOpened(HWND d) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    opened++;
    dialog = d;
  }
  if (onOpen) onOpen(d);
}

void DialogUser::ControlChanged(HWND control) {
  WindowState state;
  if (!QueryWindowState(control, &state)) return;
  HWND d = GetParent(control);
  if (state.kind == ControlKind::ProgressBar) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      progress.push_back(state.position);
    }
    if (onProgress) onProgress(d, state.position);
  } else if (state.kind == ControlKind::Static) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      texts.push_back(state.text);
    }
    if (onText) onText(d, state.text);
  }
}

void DialogUser::DialogClosed(HWND, INT_PTR result) {
  std::lock_guard<std::mutex> lock(mutex);
  results.push_back(result);
}

int DialogUser::MessageBoxShown(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::lock_guard<std::mutex> lock(mutex);
  boxes.push_back(std::string(caption) + ": " + text);
  return 0;
}

}  // namespace package_test
