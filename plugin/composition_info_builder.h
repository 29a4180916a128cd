// The description of a finished composition, filled from the options record
// for the package writer.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

struct DcpCompositionInfo;
struct OutputOptions;

// Fills every field that the output module knows; the fields the package
// writer completes (paths, sizes, digests) are left as they are, the digests
// emptied.
void FillCompositionInfo(const OutputOptions& options, DcpCompositionInfo& info);

// Fills a fresh description and hands it to the package writer. Returns 0;
// 9997 when the package writer failed (a digest or a document could not be
// made; no document is left then); or PF_Interrupt_CANCEL after Cancel in the
// digest dialog (no document is written): the render is stopped.
A_Err BuildCompositionInfo(AEIO_BasicData* basic, OutputOptions* options, int unused);
