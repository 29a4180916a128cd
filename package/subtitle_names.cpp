#include "package/subtitle_names.h"

#include <cstring>

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool IsUuidText(const std::string& text) {
  if (text.size() != 36) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    const bool dash = k == 8 || k == 13 || k == 18 || k == 23;
    if (dash ? text[k] != '-' : !IsHexDigit(text[k])) return false;
  }
  return true;
}

std::string AfterUuidPrefix(const std::string& body) {
  static constexpr char kUuidPrefix[] = "urn:uuid:";
  const size_t at = body.find(kUuidPrefix);
  return at == std::string::npos ? body : body.substr(at + sizeof kUuidPrefix - 1);
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

bool IsAssetMapPath(const std::string& path) {
  if (path.size() > kAssetMapPathLimit) return false;
  for (const char c : path) {
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != '.' && c != '_' && c != '-' && c != '/') return false;
  }
  return true;
}

std::string FolderOfPath(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }
