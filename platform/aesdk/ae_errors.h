// The host's error type: every suite function, callback and the entry point
// return one; 0 is success.
#pragma once

#include "platform/aesdk/ae_types.h"

using A_Err = A_long;

enum : A_Err {
  A_Err_NONE = 0,
  A_Err_GENERIC = 1,
  A_Err_STRUCT = 2,  // a required record pointer was null
  A_Err_PARAMETER = 3,
  A_Err_ALLOC = 4,
  A_Err_MISSING_SUITE = 516,  // the host does not offer a suite by that name and version
  // The user cancelled the work in hand: a callback that returns it ends the
  // render as stopped by the user, not as failed.
  PF_Interrupt_CANCEL = 517,
};
