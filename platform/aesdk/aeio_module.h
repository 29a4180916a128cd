// An output module as the host knows it: the information record and the
// function block of 49 callback slots that the plug-in registers through
// AEGP_RegisterIO, with the callbacks' signatures.
#pragma once

#include <cstddef>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"
#include "platform/aesdk/pf_world.h"

using AEIO_ModuleSignature = A_u_long;  // four-character code
using AEIO_ModuleFlags = A_u_long;
using AEIO_ModuleFlags2 = A_u_long;

constexpr int AEIO_MAX_MODULE_NAME_LEN = 31;
constexpr int AEIO_MAX_EXTENSION_LEN = 7;

// A kind of file: type and creator, four-character codes as 32-bit numbers.
struct AEIO_FileKind {
  A_u_long type;
  A_u_long creator;
};

struct AEIO_ModuleInfo {
  AEIO_ModuleSignature sig;
  A_char name[AEIO_MAX_MODULE_NAME_LEN + 1];
  AEIO_ModuleFlags flags;
  AEIO_ModuleFlags2 flags2;
  A_long max_width;
  A_long max_height;
  A_short num_filetypes;
  A_short num_extensions;
  AEIO_FileKind create_kind;                      // the kind of file created
  A_char create_ext[AEIO_MAX_EXTENSION_LEN + 1];  // its extension, with the dot
};

// Texts that describe an output to the user.
constexpr int AEIO_MAX_VERBIAGE_NAME_LEN = 259;
constexpr int AEIO_MAX_TYPE_NAME_LEN = 31;
constexpr int AEIO_MAX_MESSAGE_LEN = 255;
struct AEIO_Verbiage {
  A_char name[AEIO_MAX_VERBIAGE_NAME_LEN + 1];
  A_char type[AEIO_MAX_TYPE_NAME_LEN + 1];
  A_char sub_type[AEIO_MAX_MESSAGE_LEN + 1];
};

// Lets a long callback ask whether the user stopped the render.
struct AEIO_InterruptFuncs {
  void* refcon;
  A_Err (*abort0)(void* refcon);
  A_Err (*progress0)(void* refcon, A_long count, A_long total);
};

using AEIO_SupportedDepthFlags = A_long;  // the depths an output module takes, as bits
using AEIO_LabelFlags = A_long;
using AEIO_IdleFlags = A_long;
using AEIO_MarkerType = A_long;

// Callback signatures, by slot name.
using AEIO_InitOutputSpecFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_Boolean* user_interacted);
using AEIO_GetFlatOutputOptionsFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                                AEIO_Handle* flat_optionsPH);
using AEIO_DisposeOutputOptionsFunc = A_Err (*)(AEIO_BasicData* basic_dataP, void* optionsPV);
using AEIO_UserOptionsDialogFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                             const PF_EffectWorld* sample0, A_Boolean* user_interacted0);
using AEIO_GetOutputInfoFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_Verbiage* verbiageP);
using AEIO_OutputInfoChangedFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH);
using AEIO_SetOutputFileFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                         const A_UTF16Char* file_pathZ);
using AEIO_StartAddingFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long flags);
using AEIO_AddFrameFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long frame_index, A_long frames,
                                    const PF_EffectWorld* wP, const A_LPoint* origin0, A_Boolean was_compressedB,
                                    AEIO_InterruptFuncs* inter0);
using AEIO_EndAddingFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long flags);
using AEIO_OutputFrameFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld* wP);
using AEIO_WriteLabelsFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_LabelFlags* written);
using AEIO_GetSizesFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_u_longlong* free_space,
                                    A_u_longlong* file_size);
using AEIO_FlushFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH);
using AEIO_AddSoundChunkFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const A_Time* start,
                                         A_u_long num_samplesLu, const void* dataPV);
using AEIO_IdleFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_ModuleSignature sig, AEIO_IdleFlags* idle_flags0);
using AEIO_GetDepthsFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, AEIO_SupportedDepthFlags* which);
using AEIO_GetOutputSuffixFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_char* suffix);
using AEIO_SetUserDataFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_u_long typeLu,
                                       A_u_long indexLu, const AEIO_Handle dataH);
using AEIO_AddMarkerFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, A_long frame_index,
                                     AEIO_MarkerType marker_type, void* marker_dataPV, AEIO_InterruptFuncs* inter0);
using AEIO_UserAudioOptionsDialogFunc = A_Err (*)(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH,
                                                  A_Boolean* user_interacted0);

// A slot the output module leaves empty (the input side and later additions).
using AEIO_UnusedFunc = A_Err (*)();

constexpr int AEIO_FUNCTION_BLOCK_SLOTS = 49;

// The 49 callback slots. A null slot is one the output module does not offer.
struct AEIO_FunctionBlock4 {
  AEIO_UnusedFunc slot0, slot1, slot2, slot3, slot4, slot5, slot6, slot7, slot8, slot9;
  AEIO_UnusedFunc slot10, slot11, slot12, slot13;
  AEIO_InitOutputSpecFunc AEIO_InitOutputSpec;              // 14
  AEIO_GetFlatOutputOptionsFunc AEIO_GetFlatOutputOptions;  // 15
  AEIO_DisposeOutputOptionsFunc AEIO_DisposeOutputOptions;  // 16
  AEIO_UserOptionsDialogFunc AEIO_UserOptionsDialog;        // 17
  AEIO_GetOutputInfoFunc AEIO_GetOutputInfo;                // 18
  AEIO_OutputInfoChangedFunc AEIO_OutputInfoChanged;        // 19
  AEIO_SetOutputFileFunc AEIO_SetOutputFile;                // 20
  AEIO_StartAddingFunc AEIO_StartAdding;                    // 21
  AEIO_AddFrameFunc AEIO_AddFrame;                          // 22
  AEIO_EndAddingFunc AEIO_EndAdding;                        // 23
  AEIO_OutputFrameFunc AEIO_OutputFrame;                    // 24
  AEIO_WriteLabelsFunc AEIO_WriteLabels;                    // 25
  AEIO_GetSizesFunc AEIO_GetSizes;                          // 26
  AEIO_FlushFunc AEIO_Flush;                                // 27
  AEIO_AddSoundChunkFunc AEIO_AddSoundChunk;                // 28
  AEIO_IdleFunc AEIO_Idle;                                  // 29
  AEIO_GetDepthsFunc AEIO_GetDepths;                        // 30
  AEIO_GetOutputSuffixFunc AEIO_GetOutputSuffix;            // 31
  AEIO_UnusedFunc slot32, slot33, slot34, slot35, slot36, slot37, slot38, slot39, slot40;
  AEIO_SetUserDataFunc AEIO_SetUserData;  // 41
  AEIO_UnusedFunc slot42;
  AEIO_AddMarkerFunc AEIO_AddMarker;  // 43
  AEIO_UnusedFunc slot44;
  AEIO_UserAudioOptionsDialogFunc AEIO_UserAudioOptionsDialog;  // 45
  AEIO_UnusedFunc slot46, slot47, slot48;
};
static_assert(sizeof(AEIO_FunctionBlock4) == AEIO_FUNCTION_BLOCK_SLOTS * sizeof(void*), "49 callback slots");
#define AEIO_SLOT(member, slot) \
  static_assert(offsetof(AEIO_FunctionBlock4, member) == (slot) * sizeof(void*), #member " slot")
AEIO_SLOT(AEIO_InitOutputSpec, 14);
AEIO_SLOT(AEIO_GetFlatOutputOptions, 15);
AEIO_SLOT(AEIO_DisposeOutputOptions, 16);
AEIO_SLOT(AEIO_UserOptionsDialog, 17);
AEIO_SLOT(AEIO_GetOutputInfo, 18);
AEIO_SLOT(AEIO_OutputInfoChanged, 19);
AEIO_SLOT(AEIO_SetOutputFile, 20);
AEIO_SLOT(AEIO_StartAdding, 21);
AEIO_SLOT(AEIO_AddFrame, 22);
AEIO_SLOT(AEIO_EndAdding, 23);
AEIO_SLOT(AEIO_OutputFrame, 24);
AEIO_SLOT(AEIO_WriteLabels, 25);
AEIO_SLOT(AEIO_GetSizes, 26);
AEIO_SLOT(AEIO_Flush, 27);
AEIO_SLOT(AEIO_AddSoundChunk, 28);
AEIO_SLOT(AEIO_Idle, 29);
AEIO_SLOT(AEIO_GetDepths, 30);
AEIO_SLOT(AEIO_GetOutputSuffix, 31);
AEIO_SLOT(AEIO_SetUserData, 41);
AEIO_SLOT(AEIO_AddMarker, 43);
AEIO_SLOT(AEIO_UserAudioOptionsDialog, 45);
#undef AEIO_SLOT

// The slot at position i (0..48) as a raw pointer: for hosts and tests that
// walk the block.
inline void* AEIO_FunctionBlockSlot(const AEIO_FunctionBlock4& block, int i) {
  void* const* slots = reinterpret_cast<void* const*>(&block);
  return (i >= 0 && i < AEIO_FUNCTION_BLOCK_SLOTS) ? slots[i] : nullptr;
}
