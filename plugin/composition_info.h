// The description of one finished composition that the output module fills
// at the end of a render and the package writer reads and completes (file
// paths, sizes, digests, the playlist's file and digest). Texts are
// zero-terminated 8-bit text in fixed-width fields.
#pragma once

#include <cstdint>

// clang-format off
struct DcpCompositionInfo {
  char issuer[260];
  char contentTitle[260];
  char annotation[260];
  char editRate[64];            // "%d 1"
  char frameRate[64];           // "%d 1", twice the edit rate when stereoscopic
  uint8_t stereoscopic;         // 1 side-by-side stereoscopic, 0 two-dimensional
  uint32_t packing;             // 0 Interop, any other value SMPTE
  char contentKind[260];
  char pictureUuid[64];
  uint32_t pictureDuration;
  uint32_t pictureIntrinsicDuration;
  uint32_t aspectWidth;         // SMPTE packing only
  uint32_t aspectHeight;        // SMPTE packing only
  char aspectText[64];          // Interop packing only: width / height, "%.2f"
  char pictureSizeText[64];     // completed by the package writer
  uint64_t pictureSize;         // completed
  char pictureFileName[260];
  char picturePath[512];        // completed
  char pictureHash[64];         // completed: Base64 SHA-1
  char soundUuid[64];
  uint32_t soundDuration;
  uint32_t soundIntrinsicDuration;
  uint32_t soundEntryPoint;
  char soundSizeText[64];       // completed
  uint64_t soundSize;           // completed
  char soundFileName[64];
  char soundPath[512];          // completed
  char soundHash[64];           // completed
  uint8_t subtitleOn;
  uint8_t subtitleIsMxf;        // subtitles on only: a timed-text track file
  uint8_t fontPresent;          // subtitles on only
  char subtitlePath[260];       // subtitles on only: the user's subtitle file
  char subtitleUuid[64];        // subtitles on only
  char fontUuid[64];            // subtitles on only
  char fontFile[64];            // subtitles on only
  char subtitleFileName[64];    // subtitles on only: the track file's name
  uint32_t subtitleIntrinsicDuration;  // subtitles on only: the track file's length, else the composition's
  char folderPath[260];
  char reelUuid[64];
  char cplUuid[64];
  char pklUuid[64];
  char assetMapUuid[64];
  char spareUuid[64];           // read by no document
  uint32_t cplLength;           // completed
  char cplPath[260];            // completed
  char cplHash[64];             // completed
};
// clang-format on
