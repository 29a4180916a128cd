#include "package/asset_map.h"

#include <string>

#include "package/document_common.h"
#include "package/subtitle_images.h"
#include "plugin/composition_info.h"

void AddAssetMapEntry(Kumu::XMLElement* assetList, const char* uuid, const char* path, const char* annotation,
                      unsigned char packingList) {
  Kumu::XMLElement* asset = assetList->AddChild("Asset");
  asset->AddChildWithPrefixedContent("Id", kUuidPrefix, uuid);
  if (annotation != nullptr && annotation[0] != '\0') asset->AddChildWithContent("AnnotationText", annotation);
  if (packingList == 1) asset->AddChildWithContent("PackingList", "true");
  Kumu::XMLElement* chunk = asset->AddChild("ChunkList")->AddChild("Chunk");
  chunk->AddChildWithContent("Path", path);
  chunk->AddChildWithContent("VolumeIndex", "1");
}

Kumu::Result_t WriteAssetMap(DcpCompositionInfo* info) {
  const bool smpte = IsSmpte(*info);
  Kumu::XMLElement root("AssetMap");
  root.SetAttr("xmlns", smpte ? dcp_namespace::kAssetMapSmpte : dcp_namespace::kAssetMapInterop);
  root.AddChildWithPrefixedContent("Id", kUuidPrefix, info->assetMapUuid);
  if (info->packing == 1) root.AddChildWithContent("Creator", CreatorText());
  root.AddChildWithContent("VolumeCount", "1");
  root.AddChildWithContent("IssueDate", IssueDateText(Kumu::Timestamp()));
  root.AddChildWithContent("Issuer", info->issuer);
  if (info->packing == 0) root.AddChildWithContent("Creator", CreatorText());

  Kumu::XMLElement* assets = root.AddChild("AssetList");
  AddAssetMapEntry(assets, info->pictureUuid, info->pictureFileName, "", 0);
  AddAssetMapEntry(assets, info->soundUuid, info->soundFileName, "", 0);
  if (info->subtitleOn) {
    if (info->subtitleIsMxf) {
      AddAssetMapEntry(assets, info->subtitleUuid, info->subtitleFileName, "", 0);
    } else {
      AddAssetMapEntry(assets, info->subtitleUuid, InteropSubtitleName(*info).c_str(), "", 0);
    }
    // A timed-text track file carries its font and images inside.
    if (info->fontPresent && !info->subtitleIsMxf) {
      const std::string path = std::string(info->subtitleUuid) + "/" + info->fontFile;
      AddAssetMapEntry(assets, info->fontUuid, path.c_str(), "", 0);
    }
    if (!info->subtitleIsMxf) {
      for (const std::string& image : InteropSubtitleImages(*info)) {
        const std::string path = std::string(info->subtitleUuid) + "/" + image;
        AddAssetMapEntry(assets, SubtitleImageUuid(info->subtitleUuid, image).c_str(), path.c_str(), "", 0);
      }
    }
  }
  const std::string title = info->contentTitle;
  const std::string cplName = std::string("cpl_") + info->cplUuid + ".xml";
  const std::string pklName = std::string("pkl_") + info->pklUuid + ".xml";
  AddAssetMapEntry(assets, info->cplUuid, cplName.c_str(), ("CPL: " + title).c_str(), 0);
  AddAssetMapEntry(assets, info->pklUuid, pklName.c_str(), ("PKL: " + title).c_str(), 1);
  return WriteDocument(root, AssetMapPath(*info));
}

Kumu::Result_t WriteVolIndex(DcpCompositionInfo* info) {
  Kumu::XMLElement root("VolumeIndex");
  root.SetAttr("xmlns", IsSmpte(*info) ? dcp_namespace::kAssetMapSmpte : dcp_namespace::kVolumeIndexInterop);
  root.AddChildWithContent("Index", "1");
  return WriteDocument(root, VolumeIndexPath(*info));
}
