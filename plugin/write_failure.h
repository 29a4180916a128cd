// Says which file of the package could not be written and why, on the
// standard error stream and in the debug log, as
// "cannot write j2c_<uuid>.mxf: No space left on device".
#pragma once

// `error` is the system's error number of the failed write (errno), or 0
// when the system gave none; `fallback` is the reason given then.
void ReportWriteFailure(const char* fileName, int error, const char* fallback);
