// Opaque references to host objects that the suites hand out and take back,
// the plug-in id and the refcons passed through registration.
#pragma once

#include "platform/aesdk/ae_types.h"

using AEGP_PluginID = A_long;

struct AEGP_GlobalRefconOpaque;
using AEGP_GlobalRefcon = AEGP_GlobalRefconOpaque*;
struct AEGP_DeathRefconOpaque;
using AEGP_DeathRefcon = AEGP_DeathRefconOpaque*;
struct AEGP_IORefconOpaque;
using AEGP_IORefcon = AEGP_IORefconOpaque*;

struct AEIO_OutSpecOpaque;
using AEIO_OutSpecH = AEIO_OutSpecOpaque*;  // one output of a render-queue item

struct AEGP_ProjectOpaque;
using AEGP_ProjectH = AEGP_ProjectOpaque*;
struct AEGP_ItemOpaque;
using AEGP_ItemH = AEGP_ItemOpaque*;
struct AEGP_CompOpaque;
using AEGP_CompH = AEGP_CompOpaque*;
struct AEGP_RQItemOpaque;
using AEGP_RQItemRefH = AEGP_RQItemOpaque*;
struct AEGP_OutputModuleOpaque;
using AEGP_OutputModuleRefH = AEGP_OutputModuleOpaque*;
