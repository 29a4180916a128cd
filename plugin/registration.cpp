#include "plugin/registration.h"

#include <cstdio>
#include <cstring>

#include "platform/win/console.h"
#include "plugin/callbacks.h"
#include "plugin/debug_log.h"
#include "plugin/host_boundary.h"
#include "plugin/module_globals.h"
#include "plugin/product.h"
#include "plugin/suite_handler.h"

A_Err FillModuleInfo(SPBasicSuite* pica_basicP, AEIO_ModuleInfo* info) {
  if (!info) return A_Err_STRUCT;
  SuiteHandler suites(pica_basicP);
  info->sig = kModuleSignature;
  suites.ANSISuite1()->strcpy(info->name, kProductName);
  info->flags = kModuleFlags;
  info->flags2 = kModuleFlags2;
  info->max_width = kMaxFrameWidth;
  info->max_height = kMaxFrameHeight;
  info->num_filetypes = 1;
  info->num_extensions = 1;
  info->create_kind.type = kModuleSignature;
  info->create_kind.creator = kFileCreator;
  std::strcpy(info->create_ext, kFileExtension);
  return A_Err_NONE;
}

A_Err FillFunctionBlock(AEIO_FunctionBlock4* funcs) {
  if (!funcs) return A_Err_STRUCT;
  funcs->AEIO_InitOutputSpec = My_InitOutputSpec;
  funcs->AEIO_GetFlatOutputOptions = My_GetFlatOutputOptions;
  funcs->AEIO_DisposeOutputOptions = My_DisposeOutputOptions;
  funcs->AEIO_UserOptionsDialog = My_UserOptionsDialog;
  funcs->AEIO_GetOutputInfo = My_GetOutputInfo;
  funcs->AEIO_OutputInfoChanged = My_OutputInfoChanged;
  funcs->AEIO_SetOutputFile = My_SetOutputFile;
  funcs->AEIO_StartAdding = My_StartAdding;
  funcs->AEIO_AddFrame = My_AddFrame;
  funcs->AEIO_EndAdding = My_EndAdding;
  funcs->AEIO_OutputFrame = My_OutputFrame;
  funcs->AEIO_WriteLabels = My_WriteLabels;
  funcs->AEIO_GetSizes = My_GetSizes;
  funcs->AEIO_Flush = My_Flush;
  funcs->AEIO_AddSoundChunk = My_AddSoundChunk;
  funcs->AEIO_Idle = My_Idle;
  funcs->AEIO_GetDepths = My_GetDepths;
  funcs->AEIO_GetOutputSuffix = My_GetOutputSuffix;
  funcs->AEIO_SetUserData = My_SetUserData;
  funcs->AEIO_AddMarker = My_AddMarker;
  funcs->AEIO_UserAudioOptionsDialog = My_UserAudioOptionsDialog;
  return A_Err_NONE;
}

A_Err DeathHook(AEGP_GlobalRefcon, AEGP_DeathRefcon) {
  std::fputs("DeathHook..\n", stderr);
  FreeConsole();
  return A_Err_NONE;
}

A_Err EntryPointFunc(SPBasicSuite* pica_basicP, A_long, A_long, AEGP_PluginID aegp_plugin_id, AEGP_GlobalRefcon*) {
  return CallFromHost([&]() -> A_Err {
    SuiteHandler suites(pica_basicP);
    LogReset();
    LogBoth("EntryPointFunc\n");

    AEIO_ModuleInfo info;
    AEIO_FunctionBlock4 funcs;
    std::memset(&info, 0, sizeof info);
    std::memset(&funcs, 0, sizeof funcs);

    A_Err err = suites.RegisterSuite6()->AEGP_RegisterDeathHook(aegp_plugin_id, DeathHook, nullptr);
    if (!err) err = FillModuleInfo(pica_basicP, &info);
    if (!err) err = FillFunctionBlock(&funcs);
    if (!err) err = suites.RegisterSuite6()->AEGP_RegisterIO(aegp_plugin_id, nullptr, &info, &funcs);
    if (!err) {
      err = suites.UtilitySuite7()->AEGP_RegisterWithAEGP(nullptr, kProductName, &g_aegpPluginId);
    }
    g_setupLogged = false;
    return err;
  });
}
