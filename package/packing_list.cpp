#include "package/packing_list.h"

#include <cerrno>
#include <string>

#include "package/asset_digest.h"
#include "package/document_common.h"
#include "package/subtitle_images.h"
#include "plugin/composition_info.h"

namespace {

void AddTail(Kumu::XMLElement* asset, const char* hash, const std::string& size, const char* type,
             const std::string& originalFileName) {
  asset->AddChildWithContent("Hash", hash);
  asset->AddChildWithContent("Size", size);
  asset->AddChildWithContent("Type", type);
  asset->AddChildWithContent("OriginalFileName", originalFileName);
}

// The digest and size text of a small file; an unreadable file gives an
// empty digest and the size 0, and is noted.
void DigestSmallFile(const std::string& path, char* digest, std::string* sizeText) {
  uint64_t size = 0;
  digest[0] = '\0';
  errno = 0;
  if (HashAssetFile(path.c_str(), digest, &size) != 0) {
    NoteUndigestedFile(path, errno);
    size = 0;
  }
  *sizeText = std::to_string(size);
}

}  // namespace

void AddPklPictureAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, info->pictureUuid);
  AddTail(asset, info->pictureHash, info->pictureSizeText,
          IsSmpte(*info) ? "application/mxf" : "application/x-smpte-mxf;asdcpKind=Picture", info->pictureFileName);
}

void AddPklSoundAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, info->soundUuid);
  AddTail(asset, info->soundHash, info->soundSizeText,
          IsSmpte(*info) ? "application/mxf" : "application/x-smpte-mxf;asdcpKind=Sound", info->soundFileName);
}

void AddPklSubtitleAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, info->subtitleUuid);
  char digest[kDigestTextSize];
  std::string size;
  if (info->subtitleIsMxf) {
    DigestSmallFile(PackagePath(*info, info->subtitleFileName), digest, &size);
    AddTail(asset, digest, size, "application/mxf", info->subtitleFileName);
  } else {
    // The copy in the subtitle folder of the package is what is delivered.
    const std::string name = InteropSubtitleName(*info);
    DigestSmallFile(PackagePath(*info, name), digest, &size);
    AddTail(asset, digest, size, "text/xml;asdcpKind=Subtitle", name);
  }
}

void AddPklFontAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, info->fontUuid);
  // The copy beside the subtitle document in the package.
  const std::string name = std::string(info->subtitleUuid) + "/" + info->fontFile;
  char digest[kDigestTextSize];
  std::string size;
  DigestSmallFile(PackagePath(*info, name), digest, &size);
  AddTail(asset, digest, size, "application/ttf", name);
}

void AddPklImageAssets(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  for (const std::string& image : InteropSubtitleImages(*info)) {
    Kumu::XMLElement* asset = assetList->AddChild("Asset");
    asset->AddChildWithPrefixedContent("Id", kUuidPrefix, SubtitleImageUuid(info->subtitleUuid, image).c_str());
    // The copy beside the subtitle document in the package.
    const std::string name = std::string(info->subtitleUuid) + "/" + image;
    char digest[kDigestTextSize];
    std::string size;
    DigestSmallFile(PackagePath(*info, name), digest, &size);
    AddTail(asset, digest, size, "image/png", name);
  }
}

void AddPklCplAsset(Kumu::XMLElement* assetList, DcpCompositionInfo* info) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, info->cplUuid);
  asset->AddChildWithContent("AnnotationText", std::string("CPL: ") + info->contentTitle);
  info->cplHash[0] = '\0';
  errno = 0;
  if (HashCplFile(info->cplPath, info->cplLength, info) != 0) NoteUndigestedFile(info->cplPath, errno);
  AddTail(asset, info->cplHash, std::to_string(info->cplLength), IsSmpte(*info) ? "text/xml" : "text/xml;asdcpKind=CPL",
          std::string("cpl_") + info->cplUuid + ".xml");
}

Kumu::Result_t WritePKL(DcpCompositionInfo* info) {
  const bool smpte = IsSmpte(*info);
  Kumu::XMLElement root("PackingList");
  if (smpte) root.SetAttr("xmlns:dsig", dcp_namespace::kXmlSignature);
  root.SetAttr("xmlns", smpte ? dcp_namespace::kPklSmpte : dcp_namespace::kPklInterop);
  root.AddChildWithPrefixedContent("Id", kUuidPrefix, info->pklUuid);
  root.AddChildWithContent("AnnotationText", info->annotation);
  root.AddChildWithContent("IssueDate", IssueDateText(Kumu::Timestamp()));
  root.AddChildWithContent("Issuer", info->issuer);
  root.AddChildWithContent("Creator", CreatorText());
  Kumu::XMLElement* assets = root.AddChild("AssetList");
  AddPklPictureAsset(assets, info);
  AddPklSoundAsset(assets, info);
  if (info->subtitleOn) AddPklSubtitleAsset(assets, info);
  if (info->subtitleOn && !info->subtitleIsMxf && info->fontPresent) AddPklFontAsset(assets, info);
  if (info->subtitleOn && !info->subtitleIsMxf) AddPklImageAssets(assets, info);
  AddPklCplAsset(assets, info);
  if (UndigestedFileNoted()) return Kumu::RESULT_FAIL;
  return WriteDocument(root, PklPath(*info));
}
