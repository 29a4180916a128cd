// Says which file of the package could not be written and why, on the
// standard error stream and in the debug log, as
// "cannot write j2c_<uuid>.mxf: No space left on device".
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

// `error` is the system's error number of the failed write (errno), or 0
// when the system gave none; `fallback` is the reason given then. The text
// is also kept for ShowWriteFailure.
void ReportWriteFailure(const char* fileName, int error, const char* fallback);

// Shows the kept text of the last failed write (if any) to the user through
// the host's message function and forgets it: the callback that returns the
// write error calls it, so that the user learns which file and why.
void ShowWriteFailure(AEIO_BasicData* basic);
