#include "package/document_common.h"

#include <cstdio>

#include "package/package_documents.h"
#include "package/subtitle_images.h"
#include "plugin/composition_info.h"
#include "plugin/product.h"

namespace {
constexpr int kVersion[3] = {1, 5, 6};

// The documents are written on the host's thread, one render at a time.
std::string g_undigestedFile;
int g_undigestedError = 0;
}  // namespace

void NoteUndigestedFile(const std::string& path, int error) {
  if (!g_undigestedFile.empty()) return;
  g_undigestedFile = path;
  g_undigestedError = error;
}

bool UndigestedFileNoted() { return !g_undigestedFile.empty(); }

std::string TakeUndigestedFile(int* error) {
  *error = g_undigestedError;
  std::string path;
  path.swap(g_undigestedFile);
  g_undigestedError = 0;
  return path;
}

bool IsSmpte(const DcpCompositionInfo& info) { return info.packing != 0; }

std::string CreatorText() {
  char text[128];
  std::snprintf(text, sizeof text, "%s v_%d.%d.%d", kProductName, kVersion[0], kVersion[1], kVersion[2]);
  return text;
}

std::string IssueDateText(const Kumu::Timestamp& when) {
  char text[256];
  return when.EncodeString(text, sizeof text) != nullptr ? text : "";
}

std::string PackagePath(const DcpCompositionInfo& info, const std::string& name) {
  return std::string(info.folderPath) + "/" + name;
}

std::string InteropSubtitleName(const DcpCompositionInfo& info) {
  return std::string(info.subtitleUuid) + "/" + info.subtitleUuid + ".xml";
}

std::vector<std::string> InteropSubtitleImages(const DcpCompositionInfo& info) {
  std::vector<std::string> names;
  if (!ReadInteropImageNames(PackagePath(info, InteropSubtitleName(info)), &names)) names.clear();
  return names;
}

std::string CplPath(const DcpCompositionInfo& info) {
  return PackagePath(info, std::string("cpl_") + info.cplUuid + ".xml");
}

std::string PklPath(const DcpCompositionInfo& info) {
  return PackagePath(info, std::string("pkl_") + info.pklUuid + ".xml");
}

std::string AssetMapPath(const DcpCompositionInfo& info) {
  return PackagePath(info, IsSmpte(info) ? "ASSETMAP.xml" : "ASSETMAP");
}

std::string VolumeIndexPath(const DcpCompositionInfo& info) {
  return PackagePath(info, IsSmpte(info) ? "VOLINDEX.xml" : "VOLINDEX");
}

Kumu::Result_t WriteDocument(const Kumu::XMLElement& root, const std::string& path, uint32_t* length) {
  std::string text;
  root.Render(text);
  const auto size = static_cast<uint32_t>(text.size());
  if (length != nullptr) *length = size;
  return WriteXmlFile(text.c_str(), size, path.c_str());
}
