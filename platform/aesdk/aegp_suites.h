// The host suites that the plug-in acquires by name and version through the
// basic suite, each a table of functions. A function's slot is its position in
// the table, from 0. Positions that the plug-in never calls are placeholders
// (AEGP_UnusedFunc); a host fills them with functions that report the call as
// a fault.
#pragma once

#include <cstddef>

#include "platform/aesdk/ae_errors.h"
#include "platform/aesdk/alpha_label.h"
#include "platform/aesdk/host_refs.h"
#include "platform/aesdk/mem_handle.h"
#include "platform/aesdk/render_queue.h"
#include "platform/win/types.h"

using AEGP_UnusedFunc = A_Err (*)();

#define AEGP_SLOT(Suite, member, slot) \
  static_assert(offsetof(Suite, member) == (slot) * sizeof(void*), #Suite " " #member " slot")

// ---- "AEGP Memory Suite" 1
constexpr const char* kAEGPMemorySuite = "AEGP Memory Suite";
constexpr A_long kAEGPMemorySuiteVersion1 = 1;
struct AEGP_MemorySuite1 {
  A_Err (*AEGP_NewMemHandle)(AEGP_PluginID plugin_id, const A_char* whatZ, AEGP_MemSize size, AEGP_MemFlag flags,
                             AEGP_MemHandle* memPH);
  A_Err (*AEGP_FreeMemHandle)(AEGP_MemHandle memH);
  A_Err (*AEGP_LockMemHandle)(AEGP_MemHandle memH, void** ptrPV);
  A_Err (*AEGP_UnlockMemHandle)(AEGP_MemHandle memH);
  A_Err (*AEGP_GetMemHandleSize)(AEGP_MemHandle memH, AEGP_MemSize* sizeP);
  A_Err (*AEGP_ResizeMemHandle)(const A_char* whatZ, AEGP_MemSize new_size, AEGP_MemHandle memH);
};
AEGP_SLOT(AEGP_MemorySuite1, AEGP_NewMemHandle, 0);
AEGP_SLOT(AEGP_MemorySuite1, AEGP_ResizeMemHandle, 5);

// ---- "AEGP Utility Suite" 7 and 11
constexpr const char* kAEGPUtilitySuite = "AEGP Utility Suite";
constexpr A_long kAEGPUtilitySuiteVersion7 = 7;
constexpr A_long kAEGPUtilitySuiteVersion11 = 11;
struct AEGP_UtilitySuite7 {
  A_Err (*AEGP_ReportInfo)(AEGP_PluginID plugin_id, const A_char* info_stringZ);
  AEGP_UnusedFunc unused1, unused2, unused3, unused4, unused5, unused6;
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_nameZ, AEGP_PluginID* plugin_id);
  A_Err (*AEGP_GetMainHWND)(HWND* main_hwnd);
};
AEGP_SLOT(AEGP_UtilitySuite7, AEGP_ReportInfo, 0);
AEGP_SLOT(AEGP_UtilitySuite7, AEGP_RegisterWithAEGP, 7);
AEGP_SLOT(AEGP_UtilitySuite7, AEGP_GetMainHWND, 8);

struct AEGP_UtilitySuite11 {
  AEGP_UnusedFunc unused0, unused1;
  // The host's two version numbers.
  A_Err (*AEGP_GetHostVersion)(A_u_short* majorP, A_u_short* minorP);
};
AEGP_SLOT(AEGP_UtilitySuite11, AEGP_GetHostVersion, 2);

// ---- "PF ANSI Suite" 1
constexpr const char* kPFANSISuite = "PF ANSI Suite";
constexpr A_long kPFANSISuiteVersion1 = 1;
struct PF_ANSICallbacksSuite1 {
  AEGP_UnusedFunc unused0, unused1, unused2, unused3, unused4, unused5, unused6, unused7;
  AEGP_UnusedFunc unused8, unused9, unused10, unused11, unused12, unused13, unused14;
  A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
  A_char* (*strcpy)(A_char* dest, const A_char* src);
};
AEGP_SLOT(PF_ANSICallbacksSuite1, sprintf, 15);
AEGP_SLOT(PF_ANSICallbacksSuite1, strcpy, 16);

// ---- "AEGP IO Out Suite" 7: the output specification
constexpr const char* kAEGPIOOutSuite = "AEGP IO Out Suite";
constexpr A_long kAEGPIOOutSuiteVersion7 = 7;
using AEIO_SndEncoding = A_long;
using AEIO_SndSampleSize = A_short;  // bytes per sample
using AEIO_SndChannels = A_short;
enum : AEIO_SndEncoding {
  AEIO_E_UNSIGNED_PCM = 1,
  AEIO_E_SIGNED_PCM = 2,
  AEIO_E_SIGNED_FLOAT = 3,
};
struct AEGP_IOOutSuite7 {
  // The options handle of the output, or null when none is set.
  A_Err (*AEGP_GetOutSpecOptionsHandle)(AEIO_OutSpecH outH, AEIO_Handle* optionsPH);
  // Makes new_optionsH the output's options handle; gives back the one it held.
  A_Err (*AEGP_SetOutSpecOptionsHandle)(AEIO_OutSpecH outH, AEIO_Handle new_optionsH, AEIO_Handle* old_optionsPH);
  // The output file path as zero-terminated UTF-16 text in a new handle that
  // the caller frees.
  A_Err (*AEGP_GetOutSpecFilePath)(AEIO_OutSpecH outH, AEGP_MemHandle* unicode_pathPH);
  A_Err (*AEGP_GetOutSpecFPS)(AEIO_OutSpecH outH, A_Fixed* native_fpsP);
  AEGP_UnusedFunc unused4;
  A_Err (*AEGP_GetOutSpecDepth)(AEIO_OutSpecH outH, A_short* depthPS);
  AEGP_UnusedFunc unused6, unused7, unused8, unused9;
  A_Err (*AEGP_SetOutSpecAlphaLabel)(AEIO_OutSpecH outH, const AEIO_AlphaLabel* alpha_labelP);
  A_Err (*AEGP_GetOutSpecDuration)(AEIO_OutSpecH outH, A_Time* full_durationPT);
  AEGP_UnusedFunc unused12;
  A_Err (*AEGP_GetOutSpecDimensions)(AEIO_OutSpecH outH, A_long* widthPL, A_long* heightPL);
  AEGP_UnusedFunc unused14, unused15, unused16;
  A_Err (*AEGP_SetOutSpecSoundRate)(AEIO_OutSpecH outH, A_FpLong rateF);
  AEGP_UnusedFunc unused18;
  A_Err (*AEGP_SetOutSpecSoundEncoding)(AEIO_OutSpecH outH, AEIO_SndEncoding encoding);
  A_Err (*AEGP_GetOutSpecSoundSampleSize)(AEIO_OutSpecH outH, AEIO_SndSampleSize* bytes_per_sampleP);
  A_Err (*AEGP_SetOutSpecSoundSampleSize)(AEIO_OutSpecH outH, AEIO_SndSampleSize bytes_per_sample);
  A_Err (*AEGP_GetOutSpecSoundChannels)(AEIO_OutSpecH outH, AEIO_SndChannels* num_channelsP);
  A_Err (*AEGP_SetOutSpecSoundChannels)(AEIO_OutSpecH outH, AEIO_SndChannels num_channels);
  AEGP_UnusedFunc unused24, unused25, unused26, unused27, unused28, unused29, unused30;
  A_Err (*AEGP_GetOutSpecOutputModule)(AEIO_OutSpecH outH, AEGP_RQItemRefH* rq_itemP, AEGP_OutputModuleRefH* om_refP);
};
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecOptionsHandle, 0);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecOptionsHandle, 1);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecFilePath, 2);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecFPS, 3);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecDepth, 5);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecAlphaLabel, 10);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecDuration, 11);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecDimensions, 13);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecSoundRate, 17);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecSoundEncoding, 19);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundSampleSize, 20);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecSoundSampleSize, 21);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecSoundChannels, 22);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_SetOutSpecSoundChannels, 23);
AEGP_SLOT(AEGP_IOOutSuite7, AEGP_GetOutSpecOutputModule, 31);

// ---- "AEGP Register Suite" 6
constexpr const char* kAEGPRegisterSuite = "AEGP Register Suite";
constexpr A_long kAEGPRegisterSuiteVersion6 = 6;
using AEGP_DeathHook = A_Err (*)(AEGP_GlobalRefcon plugin_refcon, AEGP_DeathRefcon refcon);
struct AEIO_ModuleInfo;
struct AEIO_FunctionBlock4;
struct AEGP_RegisterSuite6 {
  AEGP_UnusedFunc unused0, unused1;
  A_Err (*AEGP_RegisterDeathHook)(AEGP_PluginID plugin_id, AEGP_DeathHook hook, AEGP_DeathRefcon refcon);
  AEGP_UnusedFunc unused3, unused4, unused5, unused6;
  A_Err (*AEGP_RegisterIO)(AEGP_PluginID plugin_id, AEGP_IORefcon refcon, const AEIO_ModuleInfo* io_infoP,
                           const AEIO_FunctionBlock4* aeio_fcn_blockP);
};
AEGP_SLOT(AEGP_RegisterSuite6, AEGP_RegisterDeathHook, 2);
AEGP_SLOT(AEGP_RegisterSuite6, AEGP_RegisterIO, 7);

// ---- "AEGP Iterate Suite" 1
constexpr const char* kAEGPIterateSuite = "AEGP Iterate Suite";
constexpr A_long kAEGPIterateSuiteVersion1 = 1;
// Runs once per iteration on the host's worker threads.
using AEGP_IterateFunc = A_Err (*)(void* refconPV, A_long thread_indexL, A_long i, A_long iterationsL);
constexpr A_long AEGP_Iterate_ONCE_PER_THREAD = -1;  // all bits set: one call per worker thread
struct AEGP_IterateSuite1 {
  A_Err (*AEGP_GetNumThreads)(A_long* num_threadsPL);
  // Returns when every call has ended; a non-zero result of a call is returned.
  A_Err (*AEGP_IterateGeneric)(A_long iterationsL, void* refconPV, AEGP_IterateFunc fn_func);
};
AEGP_SLOT(AEGP_IterateSuite1, AEGP_GetNumThreads, 0);
AEGP_SLOT(AEGP_IterateSuite1, AEGP_IterateGeneric, 1);

// ---- "AEGP Proj Suite" 8
constexpr const char* kAEGPProjSuite = "AEGP Proj Suite";
constexpr A_long kAEGPProjSuiteVersion8 = 8;
struct AEGP_ProjSuite8 {
  AEGP_UnusedFunc unused0;
  A_Err (*AEGP_GetProjectByIndex)(A_long proj_index, AEGP_ProjectH* projPH);
  AEGP_UnusedFunc unused2, unused3, unused4, unused5, unused6, unused7, unused8, unused9;
  AEGP_UnusedFunc unused10, unused11;
  A_Err (*AEGP_GetProjectBitDepth)(AEGP_ProjectH projH, AEGP_ProjBitDepth* bit_depthP);
};
AEGP_SLOT(AEGP_ProjSuite8, AEGP_GetProjectByIndex, 1);
AEGP_SLOT(AEGP_ProjSuite8, AEGP_GetProjectBitDepth, 12);

// ---- "AEGP Comp Suite" 15
constexpr const char* kAEGPCompSuite = "AEGP Comp Suite";
constexpr A_long kAEGPCompSuiteVersion15 = 15;
struct AEGP_CompSuite15 {
  A_Err (*AEGP_GetCompFromItem)(AEGP_ItemH itemH, AEGP_CompH* compPH);  // null when not a composition
  A_Err (*AEGP_GetItemFromComp)(AEGP_CompH compH, AEGP_ItemH* itemPH);
};
AEGP_SLOT(AEGP_CompSuite15, AEGP_GetCompFromItem, 0);
AEGP_SLOT(AEGP_CompSuite15, AEGP_GetItemFromComp, 1);

// ---- "AEGP Item Suite" 10 and 11
constexpr const char* kAEGPItemSuite = "AEGP Item Suite";
constexpr A_long kAEGPItemSuiteVersion10 = 10;
constexpr A_long kAEGPItemSuiteVersion11 = 11;
// The host writes at most this many bytes, the terminating zero included.
constexpr int AEGP_MAX_ITEM_NAME_SIZE = 256;
struct AEGP_ItemSuite10 {
  AEGP_UnusedFunc unused0, unused1, unused2, unused3, unused4, unused5, unused6;
  A_Err (*AEGP_GetItemName)(AEGP_ItemH itemH, A_char* nameZ);  // nameZ: AEGP_MAX_ITEM_NAME_SIZE bytes
};
AEGP_SLOT(AEGP_ItemSuite10, AEGP_GetItemName, 7);
struct AEGP_ItemSuite11 {
  AEGP_UnusedFunc unused0, unused1;
  A_Err (*AEGP_GetActiveItem)(AEGP_ItemH* itemPH);  // null when none is active
};
AEGP_SLOT(AEGP_ItemSuite11, AEGP_GetActiveItem, 2);

// ---- "AEGP Render Queue Item Suite" 3
constexpr const char* kAEGPRQItemSuite = "AEGP Render Queue Item Suite";
constexpr A_long kAEGPRQItemSuiteVersion3 = 3;
struct AEGP_RQItemSuite3 {
  AEGP_UnusedFunc unused0, unused1, unused2, unused3, unused4, unused5, unused6, unused7;
  AEGP_UnusedFunc unused8, unused9, unused10, unused11, unused12;
  A_Err (*AEGP_GetCompFromRQItem)(AEGP_RQItemRefH rq_itemH, AEGP_CompH* compPH);
};
AEGP_SLOT(AEGP_RQItemSuite3, AEGP_GetCompFromRQItem, 13);

// ---- "AEGP Render Queue Suite" 1
constexpr const char* kAEGPRenderQueueSuite = "AEGP Render Queue Suite";
constexpr A_long kAEGPRenderQueueSuiteVersion1 = 1;
struct AEGP_RenderQueueSuite1 {
  AEGP_UnusedFunc unused0, unused1;
  A_Err (*AEGP_GetRenderQueueState)(AEGP_RenderQueueState* stateP);
};
AEGP_SLOT(AEGP_RenderQueueSuite1, AEGP_GetRenderQueueState, 2);

// ---- "AEGP Output Module Suite" 4
constexpr const char* kAEGPOutputModuleSuite = "AEGP Output Module Suite";
constexpr A_long kAEGPOutputModuleSuiteVersion4 = 4;
struct AEGP_OutputModuleSuite4 {
  AEGP_UnusedFunc unused0, unused1, unused2, unused3, unused4;
  A_Err (*AEGP_GetEnabledOutputs)(AEGP_RQItemRefH rq_itemH, AEGP_OutputModuleRefH outmodH, AEGP_OutputTypes* typesP);
  A_Err (*AEGP_SetEnabledOutputs)(AEGP_RQItemRefH rq_itemH, AEGP_OutputModuleRefH outmodH, AEGP_OutputTypes types);
};
AEGP_SLOT(AEGP_OutputModuleSuite4, AEGP_GetEnabledOutputs, 5);
AEGP_SLOT(AEGP_OutputModuleSuite4, AEGP_SetEnabledOutputs, 6);
