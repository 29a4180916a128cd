// Registration of the output module with the host: the entry point, the
// module information, the function block and the death hook.
#pragma once

#include "platform/aesdk/aeio_module.h"
#include "platform/aesdk/entry_point.h"

// The one exported function; the host calls it once after loading the module.
AEGP_EXPORT_ENTRY A_Err EntryPointFunc(SPBasicSuite* pica_basicP, A_long major_versionL, A_long minor_versionL,
                                       AEGP_PluginID aegp_plugin_id, AEGP_GlobalRefcon* global_refconP);

constexpr AEIO_ModuleFlags kModuleFlags = 0x28002876;
constexpr AEIO_ModuleFlags2 kModuleFlags2 = 0x41;
constexpr A_long kMaxFrameWidth = 4096;
constexpr A_long kMaxFrameHeight = 2160;

// Sets the module's fields in a cleared record. 0, or A_Err_STRUCT for null.
A_Err FillModuleInfo(SPBasicSuite* pica_basicP, AEIO_ModuleInfo* info);

// Stores the callbacks in a cleared block. 0, or A_Err_STRUCT for null.
A_Err FillFunctionBlock(AEIO_FunctionBlock4* funcs);

// Called by the host at its shut-down.
A_Err DeathHook(AEGP_GlobalRefcon plugin_refcon, AEGP_DeathRefcon refcon);
