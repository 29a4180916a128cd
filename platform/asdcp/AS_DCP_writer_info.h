// What a track file records about the software that wrote it and about
// itself: identification texts, product and asset UUIDs, the label set.
#pragma once

#include <cstring>
#include <string>

#include "platform/asdcp/AS_DCP_version.h"
#include "platform/asdcp/KM_types.h"

namespace ASDCP {

enum LabelSet_t {
  LS_MXF_UNKNOWN = 0,
  LS_MXF_INTEROP = 1,  // the MXF Interop labels of the first digital cinema packages
  LS_MXF_SMPTE = 2,    // the SMPTE labels
};

struct WriterInfo {
  byte_t ProductUUID[16];
  byte_t AssetUUID[16];  // names the track file: its file package carries it
  byte_t ContextID[16];
  byte_t CryptographicKeyID[16];
  bool EncryptedEssence = false;
  bool UsesHMAC = false;
  std::string ProductVersion;
  std::string CompanyName;
  std::string ProductName;
  LabelSet_t LabelSetType = LS_MXF_INTEROP;

  WriterInfo() : ProductVersion(Version()) {
    std::memset(ProductUUID, 0, sizeof ProductUUID);
    std::memset(AssetUUID, 0, sizeof AssetUUID);
    std::memset(ContextID, 0, sizeof ContextID);
    std::memset(CryptographicKeyID, 0, sizeof CryptographicKeyID);
  }
};

}  // namespace ASDCP
