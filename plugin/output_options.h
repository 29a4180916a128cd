// OutputOptions: everything about one output in one record: the user's
// settings (S), values read from the host (H) and the state of a running
// render (R). The host keeps it in a memory handle named "Output Options" and
// stores it with the project as flat bytes, so the layout below is a stored
// format: version 7, 11688 bytes, every field at a fixed offset,
// little-endian. Texts are zero-terminated 8-bit text (paths in UTF-8).
// Render-state values that survive in stored bytes (pointers, handles above
// all) mean nothing when the record is loaded again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"

struct opj_image;
struct opj_cinfo;
struct opj_cio;

constexpr A_u_long kOutputOptionsVersion = 7;
constexpr int kMaxEncodingSlots = 32;
constexpr int kChannelFileCount = 8;
constexpr int kTitleSelectionCount = 20;

// clang-format off
struct OutputOptions {
  A_u_long version;                      // S  0: layout version, 7
  A_u_char reserved4;
  char folderPath[263];                  // R  5: the package folder
  A_u_long reserved268;
  char title[260];                       // S  272
  char annotation[260];                  // S  532
  char issuer[260];                      // S  792
  char compName[260];                    // H  1052: composition name, read at render start
  A_u_char useCompName;                  // S  1312: the composition name is the content title
  A_u_char padding1313[3];
  A_u_long categoryIndex;                // S  1316: content kind, index in the dialog's list
  char categoryText[32];                 // S  1320
  A_u_long packing;                      // S  1352: 0 Interop, 1 SMPTE
  A_u_long bitRate;                      // S  1356: Mbit/s, two-dimensional
  A_u_long stereoBitRate;                // S  1360: Mbit/s, stereoscopic
  A_u_long reserved1364;
  A_u_long xyzConversion;                // S  1368: non-zero: convert to X'Y'Z'
  A_u_long frameRate;                    // H  1372: whole frames per second
  A_u_long width;                        // H  1376: pixels (double width side by side)
  A_u_long height;                       // H  1380
  A_short outputDepth;                   // H  1384: the host's depth (24 or 48 taken)
  A_u_char projectBitDepth;              // H  1386
  A_u_char stereoscopic;                 // H  1387: 1 for the double-width sizes
  char pictureUuid[64];                  // R  1388
  A_u_char reserved1452[12];
  A_u_char encoderFlag;                  // S  1464: passed to every codestream encode
  A_u_char padding1465[3];
  A_u_long reserved1468;
  A_u_long reserved1472;
  A_u_char multiSelectAudio;             // S  1476
  A_u_char padding1477[3];
  A_u_long audioSource;                  // S  1480: 1 timeline, 0 external WAV files
  A_u_long audioLayout;                  // S  1484: 0 stereo, 1 5.1, 2 7.1
  A_u_long inPoint;                      // S  1488: frames
  A_u_long audioFrames;                  // S  1492: frames
  char channelFiles[kChannelFileCount][512];  // S 1496: L, R, C, LFE, Ls, Rs, LC, RC
  char soundUuid[64];                    // R  5592
  A_u_long subtitleFrames;               // R  5656: edit units of the SMPTE subtitle track file
  A_u_char reserved5660[4];
  A_u_char subtitleOn;                   // S  5664
  char subtitlePath[512];                // S  5665
  char subtitleUuid[64];                 // S  6177: the subtitle document's id
  A_u_char subtitleSmpte;                // S  6241
  A_u_char subtitleHasFont;              // S  6242
  char fontUuid[64];                     // R  6243
  char fontFile[512];                    // S  6307: file name, no folder
  A_u_char reserved6819;
  char pictureFileName[512];             // R  6820
  char soundFileName[512];               // R  7332
  char subtitleFileName[512];            // R  7844
  A_u_char padding8356[4];
  double durationFrames;                 // R  8360
  char reelUuid[64];                     // R  8368
  char cplUuid[64];                      // R  8432
  char pklUuid[64];                      // R  8496
  char assetMapUuid[64];                 // R  8560
  char spareUuid[64];                    // R  8624: made, used by no document
  A_u_char reserved8688[4];
  A_u_long framesRemaining;              // R  8692
  A_u_long buffersFilled;                // R  8696
  A_u_long framesWritten;                // R  8700
  A_u_long bufferCount;                  // R  8704: encoding slots in use
  A_u_char reserved8708;                 // R  8708: cleared at render start
  A_u_char padding8709[3];
  opj_image* images[kMaxEncodingSlots];                          // R 8712
  AEGP_MemHandle imageHandles[kMaxEncodingSlots];                // R 8968
  opj_cinfo* compressors[kMaxEncodingSlots];                     // R 9224
  opj_cio* byteStreams[kMaxEncodingSlots];                       // R 9480
  AEGP_MemHandle byteStreamHandles[kMaxEncodingSlots];           // R 9736
  int32_t* tileBuffers[kMaxEncodingSlots][3];                    // R 9992
  AEGP_MemHandle tileBufferHandles[kMaxEncodingSlots][3];        // R 10760: "CompGPU"
  AEIO_BasicData* basicData;             // H  11528: set before the options dialog opens
  A_u_short hostVersionMajor;            // H  11536
  A_u_short hostVersionMinor;            // H  11538
  char filmTitle[64];                    // S  11540
  A_u_long titleSelections[kTitleSelectionCount];  // S 11604: the title builder's choices
  A_u_char padding11684[4];
};
// clang-format on

#define LUMAVOX_AT(field, offset) static_assert(offsetof(OutputOptions, field) == (offset), "OutputOptions." #field)
LUMAVOX_AT(version, 0);
LUMAVOX_AT(reserved4, 4);
LUMAVOX_AT(folderPath, 5);
LUMAVOX_AT(reserved268, 268);
LUMAVOX_AT(title, 272);
LUMAVOX_AT(annotation, 532);
LUMAVOX_AT(issuer, 792);
LUMAVOX_AT(compName, 1052);
LUMAVOX_AT(useCompName, 1312);
LUMAVOX_AT(categoryIndex, 1316);
LUMAVOX_AT(categoryText, 1320);
LUMAVOX_AT(packing, 1352);
LUMAVOX_AT(bitRate, 1356);
LUMAVOX_AT(stereoBitRate, 1360);
LUMAVOX_AT(reserved1364, 1364);
LUMAVOX_AT(xyzConversion, 1368);
LUMAVOX_AT(frameRate, 1372);
LUMAVOX_AT(width, 1376);
LUMAVOX_AT(height, 1380);
LUMAVOX_AT(outputDepth, 1384);
LUMAVOX_AT(projectBitDepth, 1386);
LUMAVOX_AT(stereoscopic, 1387);
LUMAVOX_AT(pictureUuid, 1388);
LUMAVOX_AT(reserved1452, 1452);
LUMAVOX_AT(encoderFlag, 1464);
LUMAVOX_AT(reserved1468, 1468);
LUMAVOX_AT(reserved1472, 1472);
LUMAVOX_AT(multiSelectAudio, 1476);
LUMAVOX_AT(audioSource, 1480);
LUMAVOX_AT(audioLayout, 1484);
LUMAVOX_AT(inPoint, 1488);
LUMAVOX_AT(audioFrames, 1492);
LUMAVOX_AT(channelFiles, 1496);
LUMAVOX_AT(soundUuid, 5592);
LUMAVOX_AT(subtitleFrames, 5656);
LUMAVOX_AT(reserved5660, 5660);
LUMAVOX_AT(subtitleOn, 5664);
LUMAVOX_AT(subtitlePath, 5665);
LUMAVOX_AT(subtitleUuid, 6177);
LUMAVOX_AT(subtitleSmpte, 6241);
LUMAVOX_AT(subtitleHasFont, 6242);
LUMAVOX_AT(fontUuid, 6243);
LUMAVOX_AT(fontFile, 6307);
LUMAVOX_AT(reserved6819, 6819);
LUMAVOX_AT(pictureFileName, 6820);
LUMAVOX_AT(soundFileName, 7332);
LUMAVOX_AT(subtitleFileName, 7844);
LUMAVOX_AT(durationFrames, 8360);
LUMAVOX_AT(reelUuid, 8368);
LUMAVOX_AT(cplUuid, 8432);
LUMAVOX_AT(pklUuid, 8496);
LUMAVOX_AT(assetMapUuid, 8560);
LUMAVOX_AT(spareUuid, 8624);
LUMAVOX_AT(reserved8688, 8688);
LUMAVOX_AT(framesRemaining, 8692);
LUMAVOX_AT(buffersFilled, 8696);
LUMAVOX_AT(framesWritten, 8700);
LUMAVOX_AT(bufferCount, 8704);
LUMAVOX_AT(reserved8708, 8708);
LUMAVOX_AT(images, 8712);
LUMAVOX_AT(imageHandles, 8968);
LUMAVOX_AT(compressors, 9224);
LUMAVOX_AT(byteStreams, 9480);
LUMAVOX_AT(byteStreamHandles, 9736);
LUMAVOX_AT(tileBuffers, 9992);
LUMAVOX_AT(tileBufferHandles, 10760);
LUMAVOX_AT(basicData, 11528);
LUMAVOX_AT(hostVersionMajor, 11536);
LUMAVOX_AT(hostVersionMinor, 11538);
LUMAVOX_AT(filmTitle, 11540);
LUMAVOX_AT(titleSelections, 11604);
LUMAVOX_AT(padding11684, 11684);
#undef LUMAVOX_AT
static_assert(sizeof(OutputOptions) == 11688, "stored size of OutputOptions");
static_assert(sizeof(void*) == 8 && sizeof(double) == 8, "the stored layout has 8-byte pointers");

// Fills the settings with their defaults and reads the size, frame rate and
// depth from the host; fields the defaults do not name are left as they are.
// 0, a host error, or kErrUnsupportedOutput for an unsupported size (the fixed
// settings are stored all the same).
A_Err InitDefaultOutputOptions(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, OutputOptions* options);

// The external channel files a render reads: L and R, with 5.1 also C, LFE,
// Ls and Rs, with 7.1 also LC and RC.
inline int ExternalChannelCount(const OutputOptions& options) {
  return options.audioLayout == 2 ? 8 : options.audioLayout == 1 ? 6 : 2;
}
