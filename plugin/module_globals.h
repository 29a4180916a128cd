// The output module's globals, all zero when the module is loaded.
#pragma once

#include "platform/aesdk/host_refs.h"
#include "platform/win/types.h"

// The module's instance handle, kept by DllMain; dialog code loads its
// templates through it.
extern HINSTANCE g_hInstance;

// The plug-in id from registering under the product name; every host memory
// handle is created with it.
extern AEGP_PluginID g_aegpPluginId;

// Set by the first output set-up of the process that takes over a record.
extern bool g_setupLogged;

// Keeps the instance handle on process attach (reason DLL_PROCESS_ATTACH);
// TRUE for every reason. Run when the module is loaded and unloaded.
BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
