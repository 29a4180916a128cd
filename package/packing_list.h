// The packing list: every file of the package with its digest, size and
// type.
#pragma once

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_xml.h"

struct DcpCompositionInfo;

// Builds and writes "pkl_<uuid>.xml"; digests the written playlist into
// `info->cplHash` on the way. The result is that of writing the file; a
// failure, with nothing written, when a file it lists cannot be digested
// (the file is noted, NoteUndigestedFile).
Kumu::Result_t WritePKL(DcpCompositionInfo* info);

void AddPklPictureAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddPklSoundAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddPklSubtitleAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddPklFontAsset(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
// One "image/png" Asset per image file of an Interop subtitle document.
void AddPklImageAssets(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddPklCplAsset(Kumu::XMLElement* assetList, DcpCompositionInfo* info);
