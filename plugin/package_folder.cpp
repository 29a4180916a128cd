#include "plugin/package_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "package/pcm_track_file.h"
#include "package/subtitle_names.h"
#include "platform/win/directory.h"

namespace {

constexpr char kExtension[] = ".DCP";
constexpr size_t kExtensionLength = sizeof kExtension - 1;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool SameLetterIgnoringCase(char a, char b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(a) == lower(b);
}

// A drive designator alone ("C:").
bool IsDrive(const char* text, size_t length) {
  return length == 2 && text[1] == ':' && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

namespace fs = std::filesystem;

bool IsPlainFile(const fs::directory_entry& entry) {
  std::error_code ec;
  return entry.symlink_status(ec).type() == fs::file_type::regular && !ec;
}

bool IsRealFolder(const fs::directory_entry& entry) {
  std::error_code ec;
  return entry.symlink_status(ec).type() == fs::file_type::directory && !ec;
}

// prefix + UUID + suffix.
bool IsUuidName(const std::string& name, const char* prefix, const char* suffix) {
  const size_t p = std::strlen(prefix), s = std::strlen(suffix);
  return name.size() == p + 36 + s && name.compare(0, p, prefix) == 0 && name.compare(p + 36, s, suffix) == 0 &&
         IsUuidText(name.substr(p, 36));
}

bool IsRenderFileName(const std::string& name) {
  for (const char* prefix : {"j2c_", "pcm_", "sub_"})
    if (IsUuidName(name, prefix, ".mxf")) return true;
  for (const char* prefix : {"cpl_", "pkl_"})
    if (IsUuidName(name, prefix, ".xml")) return true;
  for (const char* fixed :
       {"ASSETMAP", "ASSETMAP.xml", "VOLINDEX", "VOLINDEX.xml", kTimelineLeftFile, kTimelineRightFile})
    if (name == fixed) return true;
  return false;
}

// A TrueType or OpenType font (also a collection or a web font) by the
// signature its first four bytes carry.
bool IsFontFile(const fs::path& path) {
  unsigned char tag[4] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool read = std::fread(tag, 1, sizeof tag, file) == sizeof tag;
  (void)std::fclose(file);  // read only
  if (!read) return false;
  for (const char* signature : {"\x00\x01\x00\x00", "OTTO", "true", "ttcf", "wOFF", "wOF2"})
    if (std::memcmp(tag, signature, sizeof tag) == 0) return true;
  return false;
}

// A PNG image (an Interop image subtitle) by its signature.
bool IsPngFile(const fs::path& path) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  unsigned char head[8] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool read = std::fread(head, 1, sizeof head, file) == sizeof head;
  (void)std::fclose(file);  // read only
  return read && std::memcmp(head, kSignature, sizeof head) == 0;
}

// The Interop subtitle folder `uuid`: its document "<uuid>.xml", one font and
// the PNG images of image subtitles.
std::string ForeignSubtitleEntry(const fs::path& folder, const std::string& uuid) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) return uuid;
  bool fontSeen = false;
  for (; it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!IsPlainFile(*it)) return uuid + "/" + name;
    if (name == uuid + ".xml" || IsPngFile(it->path())) continue;
    if (fontSeen || !IsFontFile(it->path())) return uuid + "/" + name;
    fontSeen = true;
  }
  return ec ? uuid : std::string();
}

}  // namespace

std::string ForeignPackageEntry(const char* folder) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) return ".";
  for (; it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (IsPlainFile(*it) && IsRenderFileName(name)) continue;
    if (IsRealFolder(*it) && IsUuidText(name)) {
      std::string foreign = ForeignSubtitleEntry(it->path(), name);
      if (foreign.empty()) continue;
      return foreign;
    }
    return name;
  }
  return ec ? "." : std::string();
}

bool PackageFolderFromOutputPath(const char* outputPath, char* folder, size_t folderSize) {
  if (folder == nullptr || folderSize == 0) return false;
  folder[0] = '\0';
  if (outputPath == nullptr) return false;
  const size_t length = std::strlen(outputPath);
  if (length <= kExtensionLength) return false;
  const char* extension = outputPath + length - kExtensionLength;
  for (size_t k = 0; k < kExtensionLength; ++k) {
    if (!SameLetterIgnoringCase(extension[k], kExtension[k])) return false;
  }
  const size_t folderLength = length - kExtensionLength;
  if (folderLength + 1 > folderSize) return false;

  // The last element must name a folder of its own.
  size_t start = folderLength;
  while (start > 0 && !IsSeparator(outputPath[start - 1])) --start;
  const char* last = outputPath + start;
  const size_t lastLength = folderLength - start;
  if (lastLength == 0) return false;
  if (lastLength == 1 && last[0] == '.') return false;
  if (lastLength == 2 && last[0] == '.' && last[1] == '.') return false;
  if (start == 0 && IsDrive(last, lastLength)) return false;

  std::memcpy(folder, outputPath, folderLength);
  folder[folderLength] = '\0';
  return true;
}

namespace {

// Creates the folder; on failure keeps the system's reason in `error`.
bool CreateFolder(const char* folder, int* error) {
  errno = 0;
  if (CreateDirectoryA(folder, nullptr)) return true;
  if (error != nullptr) *error = errno != 0 ? errno : EINVAL;
  return false;
}

// `path` is `folder` or lies below it; both absolute and normal, the folder
// without a separator at its end.
bool IsBelow(const fs::path& path, const fs::path& folder) {
  return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// The absolute, normal form of `path` (without a separator at its end), and
// the same with its links followed.
std::pair<fs::path, fs::path> Forms(const std::string& path) {
  std::error_code ec;
  fs::path written = fs::absolute(path, ec).lexically_normal();
  if (!written.has_filename()) written = written.parent_path();
  fs::path followed = fs::weakly_canonical(written, ec);
  if (ec) followed = written;
  return {written, followed};
}

}  // namespace

bool LiesInFolder(const std::string& path, const char* folder) {
  if (path.empty() || folder == nullptr || folder[0] == '\0') return false;
  const auto [file, fileFollowed] = Forms(path);
  const auto [home, homeFollowed] = Forms(folder);
  return IsBelow(file, home) || IsBelow(fileFollowed, homeFollowed);
}

bool CreatePackageFolder(const char* folder, std::string* foreign, int* creationError) {
  if (creationError != nullptr) *creationError = 0;
  if (CreateFolder(folder, creationError)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  if (creationError != nullptr) *creationError = 0;
  // The user's own files are never removed: only an earlier package goes.
  std::error_code ec;
  if (fs::symlink_status(folder, ec).type() == fs::file_type::directory) {
    const std::string entry = ForeignPackageEntry(folder);
    if (!entry.empty()) {
      if (foreign != nullptr) *foreign = entry;
      return false;
    }
  }
  if (!RemoveDirectoryTree(folder)) return false;
  return CreateFolder(folder, creationError);
}
