#include "plugin/package_folder.h"

#include <cstring>

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
  return length == 2 && text[1] == ':' &&
         ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

}  // namespace

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

bool CreatePackageFolder(const char* folder) {
  if (CreateDirectoryA(folder, nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
  if (!RemoveDirectoryTree(folder)) return false;
  CreateDirectoryA(folder, nullptr);
  return true;
}
