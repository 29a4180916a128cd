#include "package/composition_playlist.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "package/asset_digest.h"
#include "package/document_common.h"
#include "plugin/composition_info.h"

namespace {

std::string Number(uint32_t value) { return std::to_string(value); }

// The children of MainPicture and of the stereoscopic picture element.
void AddPictureChildren(Kumu::XMLElement* picture, const DcpCompositionInfo* info) {
  picture->AddChildWithPrefixedContent("Id", kUuidPrefix, info->pictureUuid);
  picture->AddChildWithContent("EditRate", info->editRate);
  picture->AddChildWithContent("IntrinsicDuration", Number(info->pictureIntrinsicDuration));
  picture->AddChildWithContent("EntryPoint", "0");
  picture->AddChildWithContent("Duration", Number(info->pictureDuration));
  picture->AddChildWithContent("Hash", info->pictureHash);
  picture->AddChildWithContent("FrameRate", info->frameRate);
  if (IsSmpte(*info)) {
    picture->AddChildWithContent("ScreenAspectRatio", Number(info->aspectWidth) + " " + Number(info->aspectHeight));
  } else {
    picture->AddChildWithContent("ScreenAspectRatio", info->aspectText);
  }
}

}  // namespace

void AddMainPicture(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  AddPictureChildren(assetList->AddChild("MainPicture"), info);
}

void AddMainStereoscopicPicture(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* picture = assetList->AddChild("msp-cpl:MainStereoscopicPicture");
  picture->SetAttr("xmlns:msp-cpl", IsSmpte(*info) ? dcp_namespace::kStereoSmpte : dcp_namespace::kStereoInterop);
  AddPictureChildren(picture, info);
}

void AddMainSound(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  Kumu::XMLElement* sound = assetList->AddChild("MainSound");
  sound->AddChildWithPrefixedContent("Id", kUuidPrefix, info->soundUuid);
  sound->AddChildWithContent("EditRate", info->editRate);
  sound->AddChildWithContent("IntrinsicDuration", Number(info->soundIntrinsicDuration));
  sound->AddChildWithContent("EntryPoint", Number(info->soundEntryPoint));
  sound->AddChildWithContent("Duration", Number(info->soundDuration));
  sound->AddChildWithContent("Hash", info->soundHash);
}

void AddMainSubtitle(Kumu::XMLElement* assetList, const DcpCompositionInfo* info) {
  // A timed-text track file in the package, or the copy of the subtitle
  // document in its folder of the package.
  const std::string path = info->subtitleIsMxf ? PackagePath(*info, info->subtitleFileName)
                                               : PackagePath(*info, std::string(info->subtitleUuid) + "/" +
                                                                        info->subtitleUuid + ".xml");
  char digest[kDigestTextSize] = "";
  uint64_t size = 0;
  errno = 0;
  if (HashAssetFile(path.c_str(), digest, &size) != 0) NoteUndigestedFile(path, errno);

  Kumu::XMLElement* subtitle = assetList->AddChild("MainSubtitle");
  subtitle->AddChildWithPrefixedContent("Id", kUuidPrefix, info->subtitleUuid);
  subtitle->AddChildWithContent("EditRate", info->editRate);
  subtitle->AddChildWithContent("IntrinsicDuration", Number(info->subtitleIntrinsicDuration));
  subtitle->AddChildWithContent("EntryPoint", "0");
  subtitle->AddChildWithContent("Duration", Number(info->pictureDuration));
  subtitle->AddChildWithContent("Hash", digest);
}

Kumu::Result_t WriteCPL(DcpCompositionInfo* info) {
  const std::string path = CplPath(*info);
  std::snprintf(info->cplPath, sizeof info->cplPath, "%s", path.c_str());
  const std::string issueDate = IssueDateText(Kumu::Timestamp());
  const bool smpte = IsSmpte(*info);

  Kumu::XMLElement root("CompositionPlaylist");
  if (smpte) root.SetAttr("xmlns:dsig", dcp_namespace::kXmlSignature);
  root.SetAttr("xmlns", smpte ? dcp_namespace::kCplSmpte : dcp_namespace::kCplInterop);
  root.AddChildWithPrefixedContent("Id", kUuidPrefix, info->cplUuid);
  root.AddChildWithContent("AnnotationText", info->annotation);
  root.AddChildWithContent("IssueDate", issueDate);
  root.AddChildWithContent("Issuer", info->issuer);
  root.AddChildWithContent("Creator", CreatorText());
  root.AddChildWithContent("ContentTitleText", info->contentTitle);
  root.AddChildWithContent("ContentKind", info->contentKind);
  if (smpte) {
    const std::string version = std::string(info->cplUuid) + "_" + issueDate;
    Kumu::XMLElement* contentVersion = root.AddChild("ContentVersion");
    contentVersion->AddChildWithPrefixedContent("Id", "urn:uri:", version.c_str());
    contentVersion->AddChildWithContent("LabelText", version);
  }
  root.AddChild("RatingList");
  Kumu::XMLElement* reel = root.AddChild("ReelList")->AddChild("Reel");
  reel->AddChildWithPrefixedContent("Id", kUuidPrefix, info->reelUuid);
  Kumu::XMLElement* assets = reel->AddChild("AssetList");
  if (info->stereoscopic == 0) AddMainPicture(assets, info);
  AddMainSound(assets, info);
  // The stereoscopic picture is an extension element: it follows the
  // subtitle, which the playlist's schema places right after the sound.
  if (info->subtitleOn) AddMainSubtitle(assets, info);
  if (info->stereoscopic == 1) AddMainStereoscopicPicture(assets, info);

  if (UndigestedFileNoted()) return Kumu::RESULT_FAIL;
  uint32_t length = 0;
  Kumu::Result_t result = WriteDocument(root, path, &length);
  info->cplLength = length;
  return result;
}
