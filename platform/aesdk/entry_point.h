// The plug-in's entry point: the one function the module exports, which the
// host looks up by name after loading it and calls once.
#pragma once

#include "platform/aesdk/ae_errors.h"
#include "platform/aesdk/basic_suite.h"
#include "platform/aesdk/host_refs.h"

using AEGP_PluginInitFunc = A_Err (*)(SPBasicSuite* pica_basicP, A_long major_versionL, A_long minor_versionL,
                                      AEGP_PluginID aegp_plugin_id, AEGP_GlobalRefcon* global_refconP);

constexpr const char* kAEGPEntryPointName = "EntryPointFunc";

// Marks the entry point's definition as the module's exported C symbol; the
// rest of the module is built hidden.
#define AEGP_EXPORT_ENTRY extern "C" __attribute__((visibility("default")))
