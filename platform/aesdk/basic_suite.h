// The basic suite: the host's table through which every other suite is
// acquired and released by name and version. The plug-in gets it as the first
// argument of its entry point and in the basic data of every callback.
#pragma once

#include "platform/aesdk/ae_errors.h"

struct SPBasicSuite {
  // Slot 0: gives the suite's function table in *suite, or an error.
  A_Err (*AcquireSuite)(const char* name, A_long version, const void** suite);
  // Slot 1: gives back one acquisition of the suite.
  A_Err (*ReleaseSuite)(const char* name, A_long version);
};
