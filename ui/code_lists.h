// The twelve code lists of the digital-cinema naming convention that the
// title builder offers. Each row begins with its code (the text before the
// first blank); row 0 of every list is empty and means "nothing chosen".
// The title builder stores the chosen rows by index with the project, so
// the order and number of rows, duplicates included, are stored data.
#pragma once

#include "platform/aesdk/ae_types.h"
#include "platform/win/types.h"

constexpr int kCodeListCount = 12;
// The longest row text, terminator included.
constexpr int kCodeRowSize = 64;

struct CodeList {
  int controlId;            // the builder's drop-down list
  const char* const* rows;  // row 0 is ""
  int rowCount;             // with the empty row
};

// The lists in list order.
enum CodeListEntry {
  kContent,    // content type
  kAspect,     // projector aspect ratio
  kAudioLang,  // audio language
  kSubLang,    // subtitle language
  kTerritory,
  kRating,
  kAudioType,
  kResolution,
  kStudio,
  kFacility,
  kStereo,  // 3D type
  kPackage  // package type
};

const CodeList& GetCodeList(int entry);

// Each adds every row of its list, row 0 first, to its list control of the
// builder `dialog` and selects row `selected` (taken as a signed index: a
// row that does not exist leaves the list without a selection).
void FillContentTypeList(HWND dialog, A_u_long selected);
void FillAspectRatioList(HWND dialog, A_u_long selected);
void FillAudioLanguageList(HWND dialog, A_u_long selected);
void FillSubtitleLanguageList(HWND dialog, A_u_long selected);
void FillTerritoryList(HWND dialog, A_u_long selected);
void FillRatingList(HWND dialog, A_u_long selected);
void FillAudioTypeList(HWND dialog, A_u_long selected);
void FillResolutionList(HWND dialog, A_u_long selected);
void FillStudioList(HWND dialog, A_u_long selected);
void FillFacilityList(HWND dialog, A_u_long selected);
void FillStereoTypeList(HWND dialog, A_u_long selected);
void FillPackageTypeList(HWND dialog, A_u_long selected);
