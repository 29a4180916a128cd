// The composition playlist: one reel whose assets are the picture track file
// (two-dimensional or stereoscopic), the sound track file and, with
// subtitles, the subtitle.
#pragma once

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_xml.h"

struct DcpCompositionInfo;

// Builds and writes "cpl_<uuid>.xml"; sets `info->cplPath` and
// `info->cplLength`. The result is that of writing the file; a failure,
// with nothing written, when the subtitle cannot be digested (the file is
// noted, NoteUndigestedFile).
Kumu::Result_t WriteCPL(DcpCompositionInfo* info);

void AddMainPicture(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddMainStereoscopicPicture(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddMainSound(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
void AddMainSubtitle(Kumu::XMLElement* assetList, const DcpCompositionInfo* info);
