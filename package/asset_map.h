// The asset map (every asset's identifier and its path in the package) and
// the volume index.
#pragma once

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_xml.h"

struct DcpCompositionInfo;

// "ASSETMAP.xml" (SMPTE) or "ASSETMAP" (Interop).
Kumu::Result_t WriteAssetMap(DcpCompositionInfo* info);
// "VOLINDEX.xml" (SMPTE) or "VOLINDEX" (Interop).
Kumu::Result_t WriteVolIndex(DcpCompositionInfo* info);

// Appends one Asset: its Id, the annotation when it is not empty,
// PackingList "true" when `packingList` is 1, and one chunk with the path.
void AddAssetMapEntry(Kumu::XMLElement* assetList, const char* uuid, const char* path, const char* annotation,
                      unsigned char packingList);
