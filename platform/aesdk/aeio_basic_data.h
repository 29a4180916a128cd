// The basic data that the host passes first to every output-module callback.
#pragma once

#include "platform/aesdk/ae_errors.h"
#include "platform/aesdk/basic_suite.h"
#include "platform/aesdk/host_refs.h"

// Shows a text to the user; the plug-in calls it with 0 and the text.
using AEIO_MessageFunc = A_Err (*)(A_Err err_to_report, const A_char* msg);

struct AEIO_BasicData {
  AEIO_MessageFunc msg_func;
  SPBasicSuite* pica_basicP;
  AEGP_PluginID aegp_plug_id;
  AEGP_PluginID aegp_reserved;
};
