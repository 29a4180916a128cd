// The options record of an output spec, locked for part of one call. `err` is
// the host's answer to fetching or locking it; `options` stays null when the
// spec has no record or it could not be locked.
#pragma once

#include "platform/aesdk/aegp_suites.h"
#include "plugin/handle_lock.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"

struct LockedOptions {
  LockedOptions(SuiteHandler& suites, AEIO_OutSpecH outH)
      : err(suites.IOOutSuite7()->AEGP_GetOutSpecOptionsHandle(outH, &handle)), lock(suites, err ? nullptr : handle) {
    if (!err && handle) err = lock.Lock(&options);
  }
  AEIO_Handle handle = nullptr;
  A_Err err;
  HandleLock lock;
  OutputOptions* options = nullptr;
};
