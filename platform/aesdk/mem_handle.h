// Host memory handles: named, relocatable blocks that the host owns. A handle
// is locked to get a pointer to its bytes, which stays valid until unlocked.
#pragma once

#include "platform/aesdk/ae_types.h"

struct AEGP_MemHandleOpaque;
using AEGP_MemHandle = AEGP_MemHandleOpaque*;
using AEGP_MemSize = A_u_longlong;

using AEGP_MemFlag = A_long;
enum : AEGP_MemFlag {
  AEGP_MemFlag_NONE = 0,
  AEGP_MemFlag_CLEAR = 1,  // the new block is zero-filled
};

// The output module's options record lives in a memory handle.
using AEIO_Handle = AEGP_MemHandle;
