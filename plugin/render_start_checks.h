// The render start's checks of what the package is to be made of: the frame
// rate as the host renders it, stereoscopic output at 24 fps only, Interop
// packing at 24 fps only, and a bit rate that leaves the pictures some data.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;
struct OutputOptions;

// 0 when the render can go on; else the callback's result (9993 after its
// message or report, or the host's error when the rate cannot be read). The
// stereoscopic rule is checked on the record's size. `err` is the error of
// the start so far: no host call or report is made while it is set, and the
// refusals stand all the same.
A_Err CheckRenderSettings(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, const OutputOptions& options,
                          A_Err err);
