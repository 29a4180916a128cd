// Render-queue state and the kinds of output an output module produces.
#pragma once

#include "platform/aesdk/ae_types.h"

using AEGP_RenderQueueState = A_long;
enum : AEGP_RenderQueueState {
  AEGP_RenderQueueState_STOPPED = 0,
  AEGP_RenderQueueState_PAUSED = 1,
  AEGP_RenderQueueState_RENDERING = 2,
};

// Enabled outputs of an output module (bits).
using AEGP_OutputTypes = A_long;
enum : AEGP_OutputTypes {
  AEGP_OutputType_NONE = 0,
  AEGP_OutputType_VIDEO = 1,
  AEGP_OutputType_AUDIO = 2,
};

// Project bit depth.
using AEGP_ProjBitDepth = A_u_char;
enum : AEGP_ProjBitDepth {
  AEGP_ProjBitDepth_8 = 0,
  AEGP_ProjBitDepth_16 = 1,
  AEGP_ProjBitDepth_32 = 2,
};
